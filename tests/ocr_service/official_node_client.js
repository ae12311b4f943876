// The cloud OCR provider's own Node client library, unchanged, against the started service: it
// gets a token, sends the token (not a signature) with a drawn picture, and reads its text.
//
//   node official_node_client.js SERVICE [NPM_PREFIX]
//
// NPM_PREFIX is where scripts/setup.sh installs the library (default ~/.cache/quorvix/npm).
// Exits 77, saying why, when the library or ImageMagick's convert is missing.
'use strict';
const childProcess = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

const SKIP = 77;
const [service, prefixArgument] = process.argv.slice(2);
const prefix = prefixArgument || path.join(os.homedir(), '.cache', 'quorvix', 'npm');
const library = path.join(prefix, 'node_modules', 'baidu-aip-sdk');
const font = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf';

function skip(why) {
  console.log(`SKIPPED: ${why}`);
  process.exit(SKIP);
}

function fail(why) {
  console.error(`FAILED: ${why}`);
  process.exitCode = 1;
}

if (!fs.existsSync(library)) skip(`the provider's client library is not installed in ${prefix} (scripts/setup.sh installs it)`);
if (!fs.existsSync(font)) skip(`no font at ${font}`);

function drawnPicture(text, size = '460x70') {
  const drawn = childProcess.spawnSync('convert', [
    '-size', size, 'xc:white', '-font', font, '-pointsize', '36', '-fill', 'black',
    '-annotate', '+12+48', text, 'png:-',
  ]);
  if (drawn.error || drawn.status !== 0 || drawn.stdout.length === 0) skip('ImageMagick convert cannot draw the picture');
  return drawn.stdout;
}

// Starts the service on a free port and resolves with its address once it says it listens.
function startService() {
  const child = childProcess.spawn(service, ['--port', '0', '--threads', '1'], {
    stdio: ['ignore', 'pipe', 'inherit'],
  });
  return new Promise((resolve, reject) => {
    let said = '';
    child.stdout.on('data', (chunk) => {
      said += chunk;
      const line = said.split('\n')[0];
      if (said.includes('\n')) resolve({child, address: line.replace('listening on ', '')});
    });
    child.on('exit', () => reject(new Error('the service did not start')));
  });
}

async function main() {
  const {ocr: AipOcr, HttpClient} = require(library);
  const {child, address} = await startService();
  const seen = [];
  try {
    // The library's own hook for its request options: every call goes to the service instead
    // of the provider, and nothing else about the call changes.
    HttpClient.setRequestInterceptor((options) => {
      options.url = options.url.replace(/^https?:\/\/[^/]+/, address);
      seen.push(options.url.slice(address.length));
      return options;
    });
    const client = new AipOcr('0', 'any key', 'any secret');
    const picture = drawnPicture('Photosynthesis 42').toString('base64');
    const reply = await client.generalBasic(picture, {language_type: 'ENG'});
    const text = (reply.words_result || []).map((line) => line.words).join('\n');
    console.log('requests:', seen.join(' '));
    console.log('reply:', JSON.stringify(reply));
    if (!seen.some((target) => target.includes('access_token=')))
      fail('the client signed its call instead of sending the token');
    if (!/Photosynthesis/i.test(text) || !/42/.test(text)) fail(`the text was not read: ${text}`);

    // A strip too thin to hold text gets the provider's size error, as from the provider.
    const thin = await client.generalBasic(drawnPicture('42', '460x14').toString('base64'));
    if (thin.error_code !== 216202) fail(`a picture 14 px high was answered: ${JSON.stringify(thin)}`);
  } finally {
    child.kill('SIGTERM');
  }
}

main().catch((error) => {
  fail(error && error.stack ? error.stack : String(error));
});
