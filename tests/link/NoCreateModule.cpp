// A stand-in link module that lacks "_CreateClassInstance": the loader must
// refuse it with its own message.

#include "EcuLink.h"

extern "C" __attribute__((visibility("default"))) void _DestroyClassInstance(lumex::EcuLink* link) {
    delete link;
}
