// The entry points of the air module: the commands tessel loads it for.
#include "commands.h"
#include "site.h"

extern "C" {
extern const tessel::Command tessel_air_commands[];
const tessel::Command tessel_air_commands[] = {
    {"receive", nullptr, tessel::receive_usage, tessel::Receive, tessel::receive_site_usage},
    {"transmit", nullptr, tessel::transmit_usage, tessel::Transmit, tessel::transmit_site_usage},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
}
