#include "GlTestContext.h"

#include <gtest/gtest.h>

namespace {

OffscreenGL* context = nullptr;

class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        context = new OffscreenGL;
        std::string error;
        ASSERT_TRUE(context->create(640, 480, &error)) << error;
    }
    void TearDown() override {
        delete context;
        context = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);

}  // namespace

OffscreenGL& testGL() { return *context; }
