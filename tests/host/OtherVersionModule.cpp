// A module built for an interface version the host does not load.
extern "C" __attribute__((visibility("default"))) int acrxGetApiVersion() {
    return 15;
}

extern "C" __attribute__((visibility("default"))) int acrxEntryPoint(int, void*) {
    return 0;
}
