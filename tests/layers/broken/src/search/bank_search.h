// Stands in for the search header the broken file reaches.
