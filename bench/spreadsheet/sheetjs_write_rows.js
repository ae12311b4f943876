// Writes the rows of a JSON file ([[number, question, answer], ...] after a header row) as an
// .xlsx workbook with the npm `xlsx` package: the outside reference for the bank export.
const fs = require("fs");
const XLSX = require("xlsx");
const start = Date.now();
const rows = JSON.parse(fs.readFileSync(process.argv[2], "utf8"));
const loaded = Date.now();
const book = XLSX.utils.book_new();
XLSX.utils.book_append_sheet(book, XLSX.utils.aoa_to_sheet(rows), "Sheet1");
XLSX.writeFile(book, process.argv[3], { bookSST: true, compression: true });
console.log(`rows ${rows.length} load_ms ${loaded - start} write_ms ${Date.now() - loaded}`);
