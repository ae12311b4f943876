// Filled by the table generator.
