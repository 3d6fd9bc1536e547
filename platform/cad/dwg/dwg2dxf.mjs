// dwg2dxf.mjs DRAWING.dwg OUT.dxf: the DWG drawing as DXF, written by LibreDWG (WebAssembly).
// Exit 0 done, 1 LibreDWG failed on the drawing (the reason on stderr), 2 LibreDWG could not read it,
// 3 LibreDWG itself is not installed here. Run by the Vantorel host in a process of its own.
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { fail, finish, readDrawing, start } from './converter-common.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const { input, output } = start('dwg2dxf.mjs');

let LibreDwg, Dwg_File_Type, Dwg_Object_Type;
try {
    ({ LibreDwg, Dwg_File_Type, Dwg_Object_Type } = await import('@mlightcad/libredwg-web'));
} catch (error) {
    fail(3, 'the DWG converter (npm package @mlightcad/libredwg-web) is not installed: run scripts/install-deps.sh');
}

// Whether each layer is off, by its handle (upper-case hex), as LibreDWG reads the drawing; empty when it cannot.
function layersOff(lib, drawing) {
    const off = new Map();
    let data;
    // LibreDWG warns of what it could not read exactly: the conversion has said so already.
    const say = console.log, warn = console.warn;
    console.log = console.warn = () => {};
    try {
        data = lib.dwg_read_data(drawing, Dwg_File_Type.DWG);
        if (!data)
            return off;
        const count = lib.dwg_get_num_objects(data);
        for (let i = 0; i < count; i++) {
            const object = lib.dwg_get_object(data, i);
            if (!object || lib.dwg_object_get_fixedtype(object) != Dwg_Object_Type.DWG_TYPE_LAYER)
                continue;
            const handle = lib.dwg_obj_get_handle_value(object);
            const state = lib.dwg_dynapi_entity_data(lib.dwg_object_to_object_tio(object), 'off');
            if (handle !== null && handle !== undefined && (state === 0 || state === 1))
                off.set(handle.toString(16).toUpperCase(), state === 1);
        }
    } catch (error) {
        off.clear();
    } finally {
        console.log = say;
        console.warn = warn;
        if (data)
            lib.dwg_free(data);
    }
    return off;
}

// LibreDWG's DXF writer gives every layer a negative colour (62), which says "off": each layer's colour takes the
// sign of its own state instead, or every drawing would show nothing. Bytes are kept as they are otherwise.
function withLayerStates(dxf, off) {
    if (off.size === 0)
        return dxf;
    const text = Buffer.from(dxf).toString('latin1');
    const eol = text.includes('\r\n') ? '\r\n' : '\n';
    const lines = text.split(eol);
    let handle = null;
    let colourAt = -1;
    const settle = () => {
        if (handle !== null && colourAt >= 0 && off.has(handle)) {
            const value = lines[colourAt];
            const number = Math.abs(parseInt(value.trim(), 10));
            if (Number.isFinite(number))
                lines[colourAt] = value.replace(/-?\d+/, String(off.get(handle) ? -number : number));
        }
        handle = null;
        colourAt = -1;
    };
    let inLayer = false;
    for (let i = 0; i + 1 < lines.length; i += 2) {
        const code = lines[i].trim();
        if (code === '0') {
            settle();
            inLayer = lines[i + 1].trim() === 'LAYER';
        } else if (inLayer && code === '5') {
            handle = lines[i + 1].trim().toUpperCase();
        } else if (inLayer && code === '62') {
            colourAt = i + 1;
        }
    }
    settle();
    return Buffer.from(lines.join(eol), 'latin1');
}

const bytes = readDrawing(input);
const lib = await LibreDwg.create(join(here, 'node_modules', '@mlightcad', 'libredwg-web', 'wasm') + '/');
const drawing = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length);
const dxf = lib.dwg_write_dxf(drawing);
if (!dxf || dxf.length === 0)
    fail(2, 'LibreDWG found no drawing it could read');
finish(output, withLayerStates(dxf, layersOff(lib, drawing)));
