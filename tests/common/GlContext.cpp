#include "common/GlContext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

OffscreenGL* context = nullptr;

class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        context = new OffscreenGL;
        std::string error;
        if (!context->create(640, 480, &error)) {
            // Exit rather than fail the set-up: gtest would then report every
            // test as skipped, and ctest would count that as a skip.
            std::fprintf(stderr, "FAILED: no offscreen GL context for the tests: %s\n", error.c_str());
            std::exit(1);
        }
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
