// placeholder
#include "commands.h"
namespace tessel {
const char schema_usage[] = "Usage: tessel schema\n";
int Schema(const Arguments&) { return exit_ok; }
}
