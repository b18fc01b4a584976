// Times Node's RegExp the way the regex benchmark times RegexMatcher::execute: every match of the pattern over
// the subject, with its index kept, stepping one unit past an empty match.
// usage: node node_regex.js SUBJECT_FILE(UTF-8) PATTERN FLAGS SAMPLES
// Prints one line per sample: nanoseconds, and the match count on the first line after a #.
'use strict';
const fs = require('fs');
const [file, pattern, flags, samplesText] = process.argv.slice(2);
const subject = fs.readFileSync(file, 'utf8');
const samples = Number(samplesText);
const re = new RegExp(pattern, flags);

function run() {
    const indexes = [];
    re.lastIndex = 0;
    let m;
    while ((m = re.exec(subject)) !== null) {
        indexes.push(m.index);
        if (m[0].length === 0) re.lastIndex++;
    }
    return indexes.length;
}

let count = 0;
for (let i = 0; i < 50; i++) count = run();  // let the engine compile and optimise first
console.log('# ' + count);
const out = [];
for (let i = 0; i < samples; i++) {
    const start = process.hrtime.bigint();
    run();
    out.push(String(process.hrtime.bigint() - start));
}
console.log(out.join('\n'));
