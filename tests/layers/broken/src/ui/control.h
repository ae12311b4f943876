// Stands in for the toolkit header the broken file reaches.
