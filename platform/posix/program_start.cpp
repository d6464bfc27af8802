#include "platform/program_start.h"

#include "platform/command_line.h"
#include "platform/process_spawn.h"

namespace kestrune {

std::string StartProgram(std::string_view file, std::string_view parameters,
                         std::string_view directory) {
    return SpawnDetached(file, SplitCommandLine(parameters), directory).error;
}

}  // namespace kestrune
