// Replaced when the forms land.
