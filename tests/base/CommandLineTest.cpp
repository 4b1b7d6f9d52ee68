// The command-line style every program shares: help and version with status
// 0, refusals with status 2 in one format naming the range, the help's notes
// and the manual page made from the same options.
#include "base/CommandLine.h"

#include <gtest/gtest.h>

namespace {

struct Tool {
    CLI::App app{"A tool."};
    std::string file;
    int count = 3;
    double seconds = 0;
    Tool() {
        setUpCommandLine(app, "glowmotion-thing");
        app.add_option("FILE", file, "the file")->required();
        app.add_option("--count", count, "how many, 1 to 9")->check(integerIn(1, 9));
        app.add_option("--at", seconds, "when")->check(numberIn(0, 2.5, "seconds", true));
    }
    CommandLineOutcome run(std::vector<const char*> args) {
        args.insert(args.begin(), "glowmotion-thing");
        return readCommandLine(app, static_cast<int>(args.size()), args.data());
    }
};

}  // namespace

TEST(CommandLine, GoodArgumentsGoOnHelpAndVersionEndWithZeroAndMistakesWithTwo) {
    Tool good;
    CommandLineOutcome outcome = good.run({"a.bin", "--count", "9", "--at=0x1"});  // hexadecimal 1.0 is a number
    EXPECT_TRUE(outcome.status == -1 && outcome.out.empty() && outcome.err.empty());
    EXPECT_EQ(good.file + std::to_string(good.count) + std::to_string(good.seconds), "a.bin91.000000");
    outcome = Tool().run({"--help"});
    EXPECT_TRUE(outcome.status == 0 && outcome.err.empty());
    EXPECT_EQ(outcome.out.rfind("A tool.\nUsage: glowmotion-thing [OPTIONS] FILE", 0), 0u) << outcome.out;
    outcome = Tool().run({"--version"});
    EXPECT_TRUE(outcome.status == 0 && outcome.out == std::string("glowmotion-thing ") + GLOWMOTION_VERSION + "\n");
    const std::pair<std::vector<const char*>, std::string> refusals[] = {
        {{}, "FILE is required"},
        {{"a", "b"}, "The following argument was not expected: b"},
        {{"a", "--count", "0"}, "--count: Value 0 not in range 1 to 9"},
        {{"a", "--count", "10"}, "--count: Value 10 not in range 1 to 9"},
        {{"a", "--count", "1.5"}, "--count: Value 1.5 not in range 1 to 9"},
        {{"a", "--at", "2.5"}, "--at: Value 2.5 not in range 0 to 2.5 (2.5 excluded) seconds"},
        {{"a", "--at", "-0.1"}, "--at: Value -0.1 not in range 0 to 2.5 (2.5 excluded) seconds"},
        {{"a", "--at", "1e999"}, "--at: Value 1e999 not in range 0 to 2.5 (2.5 excluded) seconds"},
        {{"a", "--at", "1s"}, "--at: Value 1s not in range 0 to 2.5 (2.5 excluded) seconds"},
    };
    for (const auto& [args, what] : refusals) {
        outcome = Tool().run(args);
        EXPECT_TRUE(outcome.status == 2 && outcome.out.empty()) << what;
        EXPECT_EQ(outcome.err, "glowmotion-thing: " + what + "\nRun with --help for more information.\n");
    }
    std::string empty, folder = "/proc/self", inFile = "/dev/null/x";  // (missing or a file: see the show's --data)
    EXPECT_EQ(existingFolder()(folder) + existingFolder()(inFile), "folder /dev/null/x: Not a directory");
    EXPECT_EQ(nonEmpty("folder name")(empty = ""), "needs a folder name");
}

TEST(CommandLine, HelpAndManualPageListTheSameOptionsWithTheirNotes) {
    CLI::App app("PNG pictures for\nthe show. More words.");
    setUpCommandLine(app, "glowmotion-thing");
    std::string file, out;
    int count = 0;
    app.add_option("FILE", file, "the file")->required();
    CLI::Option* countOption = app.add_option("--count", count, "how many, -1 to 9")->type_name("N");
    app.add_flag("--dry-run", "change nothing")->needs(countOption)->excludes(countOption);
    app.add_option("--secret", count, "not listed")->group("");
    app.add_subcommand("write", "Write OUT")->add_option("OUT", out, "where")->required();
    app.add_subcommand("old", "Gone")->disabled();
    app.footer("Keys: '.' steps,\n.5 s back\\forward,\n'Fn' none.\nExit status: 0 done, 2 a mistake.");
    // The name column holds the name alone; each note is a line of its own in the description's column.
    EXPECT_NE(
        app.help().find("\n  --dry-run                   change nothing\n                              Needs: --count\n"
                        "                              Excludes: --count\n"),
        std::string::npos)
        << app.help();
    EXPECT_EQ(app.help().find("Needs: \n"), std::string::npos);
    const std::string page = manualPage(app, 6);
    for (const char* expected :
         {".TH GLOWMOTION-THING 6 ",
          ".SH NAME\nglowmotion-thing \\- PNG pictures for the show\n",  // the first sentence
          ".SH SYNOPSIS\n\\fBglowmotion-thing\\fR [OPTIONS] FILE [SUBCOMMAND]\n.br\n\\fBglowmotion-thing write\\fR "
          "[OPTIONS] OUT\n.SH",
          ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n",
          ".TP\n\\fB\\-\\-count\\fR \\fIN\\fR\nhow many, \\-1 to 9\n",  // option hyphens are minus signs
          ".TP\n\\fB\\-\\-dry\\-run\\fR\nchange nothing\n.br\nNeeds: \\-\\-count\n",
          ".SH COMMANDS\n.SS write\nWrite OUT\n.TP\n\\fIOUT\\fR\nwhere\n",
          // one paragraph per labelled footer item; a leading '.' or ' is text, a backslash printed
          ".SH NOTES\n.PP\nKeys: '.' steps,\n\\&.5 s back\\eforward,\n\\&'Fn' none.\n.PP\nExit status: 0 done, 2 a "
          "mistake.\n"})
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n---\n" << page;
    EXPECT_EQ(page.find("secret"), std::string::npos);  // hidden options and disabled commands stay out
    EXPECT_EQ(page.find("old"), std::string::npos);
}
