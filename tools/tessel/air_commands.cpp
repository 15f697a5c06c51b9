// The entry points of the air module: the commands tessel loads it for.
#include "commands.h"

extern "C" {
extern const tessel::Command tessel_air_commands[];
const tessel::Command tessel_air_commands[] = {
    {"receive", nullptr, tessel::receive_usage, tessel::Receive},
    {"transmit", nullptr, tessel::transmit_usage, tessel::Transmit},
    {nullptr, nullptr, nullptr, nullptr},
};
}
