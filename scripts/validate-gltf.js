// Validates glTF 2.0 files with the Khronos glTF Validator (npm package
// "gltf-validator", installed by scripts/setup.sh under build/gltf-validator).
// Usage: node scripts/validate-gltf.js [--validator DIR] FILE.glb|FILE.gltf ...
// Prints each file's issue counts and every error and warning; exits 1 when
// a file has an error or can't be read.
'use strict';
const fs = require('fs');
const path = require('path');

const args = process.argv.slice(2);
let validatorDir = path.join(__dirname, '..', 'build', 'gltf-validator');
if (args[0] === '--validator') {
  validatorDir = args[1];
  args.splice(0, 2);
}
const validator = require(path.join(path.resolve(validatorDir), 'node_modules', 'gltf-validator'));

async function check(file) {
  const options = {
    uri: file,
    maxIssues: 0,
    writeTimestamp: false,
    externalResourceFunction: (uri) =>
      fs.promises.readFile(path.resolve(path.dirname(file), decodeURIComponent(uri))),
  };
  const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), options);
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ` +
              `${issues.numInfos} infos, ${issues.numHints} hints`);
  for (const m of issues.messages)
    if (m.severity <= 1)
      console.log(`  ${m.severity === 0 ? 'error' : 'warning'} ${m.code} ${m.pointer || ''}: ${m.message}`);
  return issues.numErrors === 0;
}

(async () => {
  let ok = args.length > 0;
  for (const file of args) {
    try {
      ok = (await check(file)) && ok;
    } catch (e) {
      console.log(`${file}: ${e}`);
      ok = false;
    }
  }
  process.exit(ok ? 0 : 1);
})();
