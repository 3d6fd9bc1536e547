// What both DWG converters share: their command line, how they fail, and that they end with the Vantorel host
// that started them rather than run on for no one.
import { readFileSync, writeFileSync } from 'node:fs';
import v8 from 'node:v8';

// The converter runs once and ends: baseline machine code converts a drawing in well under a second, where
// optimising all of a converter's WebAssembly would keep the process alive for several more.
v8.setFlagsFromString('--liftoff-only');
v8.setFlagsFromString('--wasm-lazy-compilation');

export function fail(code, reason) {
    process.stderr.write(`${reason}\n`);
    process.exit(code);
}

const host = Number(process.env.VANTOREL_HOST_PID || 0);
function hostGone() {
    try {
        process.kill(host, 0);
        return false;
    } catch (error) {
        return error.code === 'ESRCH';
    }
}

// DRAWING.dwg and OUT.dxf from the command line; the process ends once the host has.
export function start(usage) {
    const [input, output] = process.argv.slice(2);
    if (!input || !output)
        fail(64, `usage: ${usage} DRAWING.dwg OUT.dxf`);
    process.on('uncaughtException', (error) => fail(1, error && error.message ? error.message : String(error)));
    if (host > 0) {
        if (hostGone())
            process.exit(1);
        setInterval(() => {
            if (hostGone())
                process.exit(1);
        }, 500).unref();
    }
    return { input, output };
}

// The drawing's bytes, or the end with why they cannot be read.
export function readDrawing(input) {
    try {
        return readFileSync(input);
    } catch (error) {
        fail(1, `cannot read ${input}: ${error.message}`);
    }
}

export function finish(output, dxf) {
    if (host > 0 && hostGone())
        process.exit(1);
    writeFileSync(output, dxf);
}
