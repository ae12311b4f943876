// Replaced when this module lands.
