// dwg2dxf.mjs DRAWING.dwg OUT.dxf: the DWG drawing as DXF, written by LibreDWG (WebAssembly).
// Exit 0 done, 1 LibreDWG failed on the drawing (the reason on stderr), 2 LibreDWG could not read it,
// 3 LibreDWG itself is not installed here. Run by the Vantorel host in a process of its own.
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import v8 from 'node:v8';

// The converter runs once and ends: LibreDWG's baseline machine code converts a drawing in well under a
// second, where optimising all of its 9 MB of WebAssembly would keep the process alive for several more.
v8.setFlagsFromString('--liftoff-only');
v8.setFlagsFromString('--wasm-lazy-compilation');

const here = dirname(fileURLToPath(import.meta.url));

// A program killed while this runs leaves it nothing to do: it ends rather than run on for no one.
const host = Number(process.env.VANTOREL_HOST_PID || 0);
function hostGone() {
    try {
        process.kill(host, 0);
        return false;
    } catch (error) {
        return error.code === 'ESRCH';
    }
}
if (host > 0) {
    if (hostGone())
        process.exit(1);
    setInterval(() => {
        if (hostGone())
            process.exit(1);
    }, 500).unref();
}
const [input, output] = process.argv.slice(2);
if (!input || !output) {
    process.stderr.write('usage: dwg2dxf.mjs DRAWING.dwg OUT.dxf\n');
    process.exit(64);
}

function fail(code, reason) {
    process.stderr.write(`${reason}\n`);
    process.exit(code);
}

process.on('uncaughtException', (error) => fail(1, error && error.message ? error.message : String(error)));

let LibreDwg;
try {
    ({ LibreDwg } = await import('@mlightcad/libredwg-web'));
} catch (error) {
    fail(3, 'the DWG converter (npm package @mlightcad/libredwg-web) is not installed: run scripts/install-deps.sh');
}

let bytes;
try {
    bytes = readFileSync(input);
} catch (error) {
    fail(1, `cannot read ${input}: ${error.message}`);
}
const lib = await LibreDwg.create(join(here, 'node_modules', '@mlightcad', 'libredwg-web', 'wasm') + '/');
const dxf = lib.dwg_write_dxf(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length));
if (!dxf || dxf.length === 0)
    fail(2, 'LibreDWG could not read it');
if (host > 0 && hostGone())
    process.exit(1);
writeFileSync(output, dxf);
