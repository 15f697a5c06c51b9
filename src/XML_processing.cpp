// The log document's root descriptor.
#include "P25_processing.h"

namespace XML_routines {
const Info<void> P25_log_data("/P25_log_data");
}  // namespace XML_routines
