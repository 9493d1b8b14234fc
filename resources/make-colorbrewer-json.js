#!/usr/bin/env node
// Converts the ColorBrewer 2.0 schemes of the npm package "colorbrewer" into
// colorbrewer.json, the palette table embedded as ":/colorbrewer.json".
//
//   npm install colorbrewer            (in a scratch folder outside the repo)
//   node make-colorbrewer-json.js [path/to/node_modules/colorbrewer] [output]
//
// Without a path the package is found by Node's module resolution from the
// current folder; the output defaults to colorbrewer.json beside this script.
'use strict';

const fs = require('fs');
const path = require('path');
const { pathToFileURL } = require('url');

const types = { sequential: 'seq', singlehue: 'seq', diverging: 'div', qualitative: 'qual' };

function entryOf(packageDir) {
    if (!packageDir)
        packageDir = path.dirname(require.resolve('colorbrewer/package.json',
                                                  { paths: [process.cwd(), __dirname] }));
    const manifest = JSON.parse(fs.readFileSync(path.join(packageDir, 'package.json'), 'utf8'));
    // The ES module build loads whatever the package's "type" says.
    return path.join(packageDir, manifest.module || manifest.main || 'index.js');
}

function rgb(hex) {
    const match = /^#([0-9a-f]{2})([0-9a-f]{2})([0-9a-f]{2})$/i.exec(hex);
    if (!match)
        throw new Error(`unexpected colour ${hex}`);
    const [r, g, b] = match.slice(1).map((part) => parseInt(part, 16));
    return `rgb(${r},${g},${b})`;
}

async function main() {
    const [packageDir, output = path.join(__dirname, 'colorbrewer.json')] = process.argv.slice(2);
    const loaded = await import(pathToFileURL(entryOf(packageDir)).href);
    const schemes = loaded.default || loaded;

    const typeOf = {};
    for (const [group, names] of Object.entries(schemes.schemeGroups))
        for (const name of names)
            typeOf[name] = types[group];

    const table = {};
    for (const [name, counts] of Object.entries(schemes)) {
        if (name === 'schemeGroups')
            continue;
        if (!typeOf[name])
            throw new Error(`palette ${name} belongs to no known group`);
        const palette = {};
        for (const [count, colours] of Object.entries(counts)) {
            if (colours.length !== Number(count))
                throw new Error(`${name} ${count} has ${colours.length} colours`);
            palette[count] = colours.map(rgb);
        }
        palette.type = typeOf[name];
        table[name] = palette;
    }
    fs.writeFileSync(output, JSON.stringify(table));
    console.log(`${Object.keys(table).length} palettes written to ${output}`);
}

main().catch((error) => {
    console.error(error.message);
    process.exit(1);
});
