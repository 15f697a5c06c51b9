// What the host program sees of the library: the root of the log document
// and of input documents, under which every top-level element descriptor is
// filed.
#ifndef TESSEL_P25_PROCESSING_H
#define TESSEL_P25_PROCESSING_H

#include "shared/XML/XML_routines.h"

namespace XML_routines {
// "/P25_log_data": no attributes, no text; the top-level elements of the log
// document are filed under it.
extern const Info<void> P25_log_data;
}  // namespace XML_routines

#endif
