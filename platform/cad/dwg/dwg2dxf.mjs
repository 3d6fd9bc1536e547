// dwg2dxf.mjs DRAWING.dwg OUT.dxf: the DWG drawing as DXF, written by LibreDWG (WebAssembly).
// Exit 0 done, 1 LibreDWG failed on the drawing (the reason on stderr), 2 LibreDWG could not read it,
// 3 LibreDWG itself is not installed here. Run by the Vantorel host in a process of its own.
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { fail, finish, readDrawing, start } from './converter-common.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const { input, output } = start('dwg2dxf.mjs');

let LibreDwg;
try {
    ({ LibreDwg } = await import('@mlightcad/libredwg-web'));
} catch (error) {
    fail(3, 'the DWG converter (npm package @mlightcad/libredwg-web) is not installed: run scripts/install-deps.sh');
}

const bytes = readDrawing(input);
const lib = await LibreDwg.create(join(here, 'node_modules', '@mlightcad', 'libredwg-web', 'wasm') + '/');
const dxf = lib.dwg_write_dxf(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length));
if (!dxf || dxf.length === 0)
    fail(2, 'LibreDWG found no drawing it could read');
finish(output, dxf);
