// Replays the fuzzers' inputs through the same runners in the normal build:
// every seed (fuzz/corpus/TARGET) must pass the runner's rules, and every
// input that once found a fault (fuzz/regressions/TARGET) must give the
// outcome and print the messages its NAME.expect names.
#include "FuzzInputs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Runner = std::string (*)(const uint8_t*, size_t);

struct Target {
    const char* name;
    Runner run;
    const char* accepted;  // outcome prefix of an input the code takes (a picture loaded...)
};

const Target kTargets[] = {
    {"tga", fuzzinputs::runTgaInput, "loaded"},
    {"texgen", fuzzinputs::runTexgenInput, "ran"},
    {"module", fuzzinputs::runModuleInput, "played"},
    {"options", fuzzinputs::runOptionsInput, "show"},
};

void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The inputs of one folder, sorted, without the .expect and README files.
std::vector<fs::path> inputsIn(const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const fs::path& p = entry.path();
        if (entry.is_regular_file() && p.extension() != ".expect" && p.filename().string().rfind("README", 0) != 0)
            files.push_back(p);
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Replay {
    std::string outcome;
    std::string printed;  // standard output, then standard error
};

Replay replay(const Target& target, const fs::path& input) {
    const std::vector<uint8_t> bytes = readBytes(input);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Replay run;
    run.outcome = target.run(bytes.data(), bytes.size());
    std::fflush(stdout);
    std::fflush(stderr);
    run.printed = testing::internal::GetCapturedStdout();
    run.printed += testing::internal::GetCapturedStderr();
    return run;
}

class FuzzInputs : public testing::TestWithParam<Target> {};

TEST_P(FuzzInputs, EverySeedPassesAndSomeAreTaken) {
    const Target& target = GetParam();
    const std::vector<fs::path> seeds = inputsIn(fs::path(GLOWMOTION_SOURCE_DIR) / "fuzz" / "corpus" / target.name);
    ASSERT_GE(seeds.size(), 3u) << "the seed corpus of " << target.name << " is missing";
    int taken = 0, refused = 0;
    for (const fs::path& seed : seeds) {
        const Replay run = replay(target, seed);
        ASSERT_FALSE(run.outcome.empty()) << seed;
        (run.outcome.rfind(target.accepted, 0) == 0 ? taken : refused)++;
    }
    // Seeds must reach the code past the first refusal, and the runner must
    // be able to tell a refusal: both kinds are among them.
    EXPECT_GT(taken, 0) << "no seed of " << target.name << " gets past the first check";
    EXPECT_GT(refused, 0) << "every seed of " << target.name << " is taken";
}

TEST_P(FuzzInputs, EveryRegressionGivesItsExpectedOutcome) {
    const Target& target = GetParam();
    const fs::path folder = fs::path(GLOWMOTION_SOURCE_DIR) / "fuzz" / "regressions" / target.name;
    const std::vector<fs::path> inputs = inputsIn(folder);
    if (inputs.empty()) GTEST_SKIP() << "no regression inputs for " << target.name;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.string());
        std::ifstream expect(input.string() + ".expect");
        ASSERT_TRUE(expect.good()) << "no " << input.filename().string() << ".expect";
        std::string outcome, line;
        std::getline(expect, outcome);
        const Replay run = replay(target, input);
        EXPECT_EQ(outcome, run.outcome);
        while (std::getline(expect, line)) {
            if (line.empty()) continue;
            EXPECT_NE(run.printed.find(line), std::string::npos) << "missing: " << line << "\nprinted:\n" << run.printed;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target>& param) { return std::string(param.param.name); });

}  // namespace
