// Symbol visibility of the host libraries: they are built with hidden
// visibility, and only what carries VESK_API is exported.
#ifndef VESK_VESKEXPORT_H
#define VESK_VESKEXPORT_H

#define VESK_API __attribute__((visibility("default")))

#endif
