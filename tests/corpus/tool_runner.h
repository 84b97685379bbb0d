// Runs zelmora-decode as a user would, for the tests of its output.
#pragma once

#include <string>
#include <vector>

struct ToolResult {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

// Runs the tool with `args` in the time zone `tz`; its standard input is
// `input` unless the arguments name a file.
ToolResult RunDecodeTool(const std::vector<std::string>& args, const std::string& input, const char* tz = "UTC0");
