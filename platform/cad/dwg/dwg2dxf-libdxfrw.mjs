// dwg2dxf-libdxfrw.mjs DRAWING.dwg OUT.dxf: the DWG drawing as DXF (R2007), written by libdxfrw (WebAssembly), for
// the drawings LibreDWG cannot read. libdxfrw keeps no dynamic-block or extended data, and its reading may answer
// "failed" yet hold the drawing's entities: what it made is kept when its ENTITIES section holds any.
// Exit 0 done, 1 libdxfrw failed on the drawing, 2 libdxfrw could not read it, 3 libdxfrw is not installed here.
import { createRequire } from 'node:module';
import { fail, finish, readDrawing, start } from './converter-common.mjs';

const { input, output } = start('dwg2dxf-libdxfrw.mjs');

let createModule;
try {
    createModule = createRequire(import.meta.url)('@mlightcad/libdxfrw-web/dist/libdxfrw.js');
} catch (error) {
    fail(3, 'the second DWG converter (npm package @mlightcad/libdxfrw-web) is not installed: run scripts/install-deps.sh');
}

const bytes = readDrawing(input);
// What the library prints as it reads is its own business; the host hears only the reason it gives up.
const lib = await createModule({ print: () => {}, printErr: () => {} });
const database = new lib.DRW_Database();
const handler = new lib.DRW_FileHandler();
handler.database = database;
const read = handler.fileImport(new Uint8Array(bytes.buffer, bytes.byteOffset, bytes.length), database, false, false);
// It ends the texts it writes with the NUL that ended them in the drawing: names would not match without it gone.
const dxf = handler.fileExport(lib.DRW_Version.AC1021, false, database, false).replace(/\0+(?=\r?\n)/g, '');
database.delete();
handler.delete();
// Something after the ENTITIES section's name other than its end: the drawing's entities.
const entities = dxf ? dxf.indexOf('\nENTITIES\n') : -1;
const held = entities >= 0 && !/^\s*0\r?\nENDSEC\r?\n/.test(dxf.slice(entities + 10));
if (!dxf || (!read && !held))
    fail(2, 'libdxfrw found no drawing it could read');
finish(output, dxf);
