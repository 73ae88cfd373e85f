// Runs a context-menu script file as a browser would and checks the text it
// puts into the focused field.
//   node check_script.js <script file> <expected text as hex bytes (GBK)>
// The file is decoded as GBK, the first <SCRIPT> block is cut out the way an
// HTML parser ends it (at the first "</script", any case), and it runs with a
// stand-in for external.menuArguments whose focused element is a textarea.
// The expected string is the text with each CR LF as one line break.
// Exit 0 when they agree, 1 when they differ, 2 when the script does not run.
'use strict';
const fs = require('fs');
const vm = require('vm');

const [file, expectedHex] = process.argv.slice(2);
const gbk = new TextDecoder('gbk');
const source = gbk.decode(fs.readFileSync(file));
const expected = gbk.decode(Buffer.from(expectedHex || '', 'hex')).replace(/\r\n/g, '\n');

const open = /<script\b[^>]*>/i.exec(source);
if (!open) {
  console.error('no <SCRIPT> tag');
  process.exit(2);
}
const rest = source.slice(open.index + open[0].length);
const close = rest.search(/<\/script/i);
const body = close < 0 ? rest : rest.slice(0, close);

const range = { text: undefined };
const page = {
  document: {
    selection: { createRange: () => range },
    activeElement: { type: 'textarea' },
  },
};
try {
  vm.runInNewContext(body, { external: { menuArguments: page } }, { timeout: 1000 });
} catch (error) {
  console.error(`script failed: ${error}`);
  process.exit(2);
}
if (range.text !== expected) {
  console.error(`inserted ${JSON.stringify(range.text)}, expected ${JSON.stringify(expected)}`);
  process.exit(1);
}
