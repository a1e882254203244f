#!/usr/bin/env node
// Checks glTF files (.glb or .gltf) with the Khronos glTF validator: one line per file with
// its counts, then every error and warning. Exit status 0 when no file has an error or a
// warning, 1 otherwise, 2 for a call without files.
//
// The textures are the modder's own .dds files, which are not shipped with the road (and
// which the validator, knowing PNG, JPEG and WebP only, could not read anyway): every image
// URI is answered with a 1x1 PNG stand-in, so that everything but the pixels is checked and a
// referenced image is no input/output error. Any other external resource is refused.
'use strict';

const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

const standIn = Buffer.from(
    'iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNkYPhfDwAChwGA60e6kgAAAABJRU5ErkJggg==',
    'base64');
const imageNames = /\.(dds|png|jpe?g|webp|ktx2|tga|bmp)$/i;

async function check(file) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) =>
            imageNames.test(decodeURIComponent(uri))
                ? Promise.resolve(new Uint8Array(standIn))
                : Promise.reject(new Error('no external resources besides images: ' + uri)),
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} Fehler, ${issues.numWarnings} Warnungen, ` +
                `${issues.numInfos} Hinweise`);
    for (const m of issues.messages) {
        if (m.severity <= 1) {
            console.log(`  ${m.severity === 0 ? 'Fehler' : 'Warnung'} ${m.code} ${m.pointer || ''}: ${m.message}`);
        }
    }
    return issues.numErrors + issues.numWarnings === 0;
}

async function main(files) {
    if (files.length === 0) {
        console.error('Aufruf: validate.js DATEI.glb|DATEI.gltf ...');
        return 2;
    }
    let clean = true;
    for (const file of files) {
        try {
            clean = (await check(file)) && clean;
        } catch (error) {
            console.log(`${file}: nicht prüfbar: ${error}`);
            clean = false;
        }
    }
    return clean ? 0 : 1;
}

main(process.argv.slice(2)).then((status) => { process.exitCode = status; });
