// Test programs that load dialogs, strings or pictures through the layer
// get the program's resources as the program does at start-up.
#include <gtest/gtest.h>

#include "resources/resource_catalogue.h"

namespace {

class ProgramResources : public testing::Environment {
 public:
  void SetUp() override { RegisterProgramResources(); }
};

[[maybe_unused]] testing::Environment* const kProgramResources =
    testing::AddGlobalTestEnvironment(new ProgramResources);

}  // namespace
