// Replaced when the toolkit lands.
