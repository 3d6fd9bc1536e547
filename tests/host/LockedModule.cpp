// A module that never unlocks itself, so the host must refuse to unload it.
extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return 16;
}

extern "C" __attribute__((visibility("default"))) int acrxEntryPoint(int, void*) {
    return 0;
}
