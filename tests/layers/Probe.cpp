// Built by the layer test against the engine's layer alone: a header of a
// layer below it must be found, one of a layer above it must not.
#include QUARN_PROBE_HEADER

int main() {
    return 0;
}
