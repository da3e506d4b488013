// Reads a Desktop Entry Exec value back into its argument vector, as a launcher does: the
// unit tests check the written entries with it, and so does the end-to-end run through
// quorel_e2e_exec_parser.
#pragma once

#include <string>
#include <vector>

namespace quorel_test {

// Each rule is checked strictly: string escapes first, then the quoting (quotes around a whole
// argument, no reserved character outside quotes, only " ` $ \ escaped inside), then field
// codes (only %% may appear). False when value breaks any of them; *args is then not to be used.
bool ParseExecValue(const std::string& value, std::vector<std::string>* args);

}  // namespace quorel_test
