// glowmotion-texgen: writes, checks, converts, runs and shows texture
// programs, in their byte form or their text form (told apart by content).
//   run [--all-layers] [--time] PROGRAM OUT   OUT ends in .png, .tga or .raw
//   check PROGRAM
//   asm TEXT OUT                               text form -> byte program
//   disasm PROGRAM [OUT]                       -> text form (standard output)
//   stored [--binary] [OUT]                    the show's stored program
//   view PROGRAM                               window, re-run on every save
//   ops [--examples DIR]                       operation reference (Markdown)
// Status 0 on success, 1 for a file that cannot be read or written, a refused
// program or no display, 2 for bad usage (the shared command-line style).
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ImageFiles.h"
#include "ProgramFile.h"
#include "Reference.h"
#include "Viewer.h"
#include "base/CommandLine.h"
#include "base/FileRead.h"
#include "texgen/Operations.h"
#include "texgen/ProgramText.h"
#include "texgen/TextureGenerator.h"

namespace {

constexpr const char* kProgram = "glowmotion-texgen";

int fail(const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", kProgram, message.c_str());
    return 1;
}

bool endsWith(const std::string& s, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// "prog.txt: line 3: warning: ...", "prog.bin: byte 19: warning: ...", or
// for the program as a whole "prog.txt: warning: ...".
std::string warningLine(const std::string& path, const ProgramFile& file, const ProgramWarning& warning) {
    std::string where;
    if (warning.instruction >= 0)
        where = file.text ? "line " + std::to_string(file.lines[static_cast<size_t>(warning.instruction)]) + ": "
                          : "byte " + std::to_string(warning.offset) + ": ";
    return path + ": " + where + "warning: " + warning.text;
}

// Legal but almost surely not meant: said on standard error, the status stays 0.
void printWarnings(const std::string& path, const ProgramFile& file, const ProgramCheck& check) {
    for (const ProgramWarning& warning : check.warnings)
        std::fprintf(stderr, "%s\n", warningLine(path, file, warning).c_str());
}

// Writes text to OUT, or to standard output when OUT is empty.
int writeText(const std::string& outPath, const std::string& text) {
    if (outPath.empty()) {
        std::fputs(text.c_str(), stdout);
        return 0;
    }
    std::string error;
    if (!writeWholeFile(outPath, std::vector<uint8_t>(text.begin(), text.end()), &error)) return fail(error);
    return 0;
}

// Runs the generator step by step; with `timings` prints each instruction's
// time and the total.
void runProgram(TextureGenerator& generator, const ProgramFile& file, bool timings) {
    if (!timings) {
        generator.run();
        return;
    }
    using Clock = std::chrono::steady_clock;
    std::printf("%6s  %-15s %5s  %10s\n", file.text ? "line" : "byte", "operation", "layer", "ms");
    generator.reset();
    double total = 0;
    for (size_t index = 0;; ++index) {
        const uint32_t at = generator.cursor();
        if (at >= file.bytes.size()) break;
        const uint8_t opcode = file.bytes[at], destination = file.bytes[at + 1] & 15;
        const auto start = Clock::now();
        const bool more = generator.step();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        total += ms;
        const long where = file.text ? file.lines[index] : static_cast<long>(at);
        std::printf("%6ld  %-15s %5d  %10.3f\n", where, textureOpName(opcode), destination, ms);
        if (!more) break;
    }
    std::printf("%6s  %-15s %5s  %10.3f\n", "", "total", "", total);
}

int run(const std::string& programPath, const std::string& outPath, bool allLayers, bool timings) {
    const ProgramFile file = loadProgramFile(programPath);
    if (!file.ok) return fail(file.error);
    // A picture file of layer 0 needs a picture: an empty result is refused
    // in the words of check's warning about it (the last one, about the
    // program as a whole); .raw and --all-layers write any size.
    const ProgramCheck check = checkTextureProgram(file.bytes.data(), file.bytes.size());
    const bool layerZeroOnly = !allLayers && !endsWith(outPath, ".raw");
    if (layerZeroOnly && (check.finalWidth[0] == 0 || check.finalHeight[0] == 0))
        return fail(programPath + ": " + check.warnings.back().text + ": " + outPath + " not written");
    printWarnings(programPath, file, check);
    auto generator = std::make_unique<TextureGenerator>();
    generator->setProgram(file.bytes.data(), file.bytes.size());
    runProgram(*generator, file, timings);

    std::vector<LayerImage> images;
    for (int k = 0; k <= (allLayers ? TextureGenerator::kLayerCount - 1 : 0); ++k)
        images.push_back(LayerImage{generator->images[k], generator->layers[k].width, generator->layers[k].height});
    std::string error;
    if (endsWith(outPath, ".raw")) {
        if (!writeWholeFile(outPath, rawBytes(images), &error)) return fail(error);
        return 0;
    }
    // .png and .tga: one picture per file, at the size the program made.
    const std::string extension = outPath.substr(outPath.size() - 4);
    for (size_t k = 0; k < images.size(); ++k) {
        const LayerImage& image = images[k];
        std::string path = outPath;
        if (allLayers) {
            if (image.width == 0 || image.height == 0) continue;  // a layer the program never used
            path = outPath.substr(0, outPath.size() - 4) + "-" + std::to_string(k) + extension;
        }
        const bool written = extension == ".png" ? writePngImage(path, image, &error)
                                                 : writeWholeFile(path, tgaBytes(image), &error);
        if (!written) return fail(error);
    }
    return 0;
}

int check(const std::string& programPath) {
    const ProgramFile file = loadProgramFile(programPath);
    if (!file.ok) return fail(file.error);
    const ProgramCheck check = checkTextureProgram(file.bytes.data(), file.bytes.size());
    std::printf("%s: %s\n", programPath.c_str(), check.describe().c_str());
    std::fflush(stdout);
    printWarnings(programPath, file, check);
    return 0;
}

int assemble(const std::string& textPath, const std::string& outPath) {
    std::vector<uint8_t> content;
    std::string error;
    if (!readWholeFile(textPath, kMaxProgramBytes, &content, &error)) return fail(error);
    if (!isTextProgram(content.data(), content.size()))
        return fail(textPath + ": is a byte program already, not the text form");
    const ProgramFile file = loadProgramFile(textPath);
    if (!file.ok) return fail(file.error);
    if (!writeWholeFile(outPath, file.bytes, &error)) return fail(error);
    return 0;
}

int disassemble(const std::string& programPath, const std::string& outPath) {
    const ProgramFile file = loadProgramFile(programPath);
    if (!file.ok) return fail(file.error);
    std::string text;
    disassembleTextureProgram(file.bytes.data(), file.bytes.size(), &text);
    return writeText(outPath, text);
}

int stored(const std::string& outPath, bool binary) {
    const std::vector<uint8_t> bytes(storedTextureProgram(), storedTextureProgram() + storedTextureProgramSize());
    if (binary) {
        if (outPath.empty()) {
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            return 0;
        }
        std::string error;
        if (!writeWholeFile(outPath, bytes, &error)) return fail(error);
        return 0;
    }
    std::string text;
    disassembleTextureProgram(bytes.data(), bytes.size(), &text);
    return writeText(outPath, "# The show's stored texture program: clouds with golden rims, 256x256.\n" + text);
}

int reference(const std::string& examples) {
    std::string markdown, error;
    if (!operationReference(examples, &markdown, &error)) return fail(error);
    std::fputs(markdown.c_str(), stdout);
    return 0;
}

std::string pictureName(const std::string& path) {
    for (const char* extension : {".png", ".tga", ".raw"})
        if (endsWith(path, extension) && path.size() > 4) return {};
    return "OUT must end in .png, .tga or .raw: " + path;
}

std::vector<CLI::App*> subcommands(CLI::App& app) {
    return app.get_subcommands([](CLI::App*) { return true; });
}

// The subcommands, "run, check, ... or ops".
std::string subcommandList(CLI::App& app) {
    const std::vector<CLI::App*> all = subcommands(app);
    std::string names;
    for (size_t k = 0; k < all.size(); ++k)
        names += (k == 0 ? "" : k + 1 == all.size() ? " or " : ", ") + all[k]->get_name();
    return names;
}

// The first word that is no option names the subcommand: one that does not
// is named in the refusal, with the subcommand it may have meant.
std::string subcommandMistake(CLI::App& app, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (!word.empty() && word[0] == '-') continue;
        std::string lower = word, meant;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (CLI::App* sub : subcommands(app)) {
            if (sub->get_name() == word) return {};
            if (sub->get_name() == lower) meant = " (did you mean '" + lower + "'?)";
        }
        return "unknown subcommand '" + word + "'" + meant + "; give one of " + subcommandList(app);
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app("Writes, checks, converts, runs and shows texture programs (byte or text form).");
    setUpCommandLine(app, kProgram);
    app.require_subcommand(0, 1);  // none: refused below, listing them

    std::string program, out;
    bool allLayers = false, timings = false, binary = false;
    std::string examples;

    CLI::App* runCommand = app.add_subcommand("run", "Run PROGRAM and write its picture (layer 0) to OUT");
    runCommand->add_flag("--all-layers", allLayers,
                         "Write all six stored images: one after the other in .raw, OUT-k.png/.tga per used layer");
    runCommand->add_flag("--time", timings, "Print the time each instruction took and the total");
    runCommand->add_option("PROGRAM", program, "Texture program, byte or text form")->required();
    runCommand->add_option("OUT", out,
                           "Picture at the size the program made: .png to look at, .tga (32-bit, as the show reads "
                           "it), .raw (uint32 width, height, then 0xAARRGGBB words with A = 0, little-endian: "
                           "the layout glowmotion-tga --raw writes too)")
        ->required()
        ->check(CLI::Validator(pictureName, "FILE.png|.tga|.raw"));

    CLI::App* checkCommand = app.add_subcommand(
        "check", "Check PROGRAM; refusals name the line (text) or byte; warnings go to standard error");
    checkCommand->add_option("PROGRAM", program, "Texture program, byte or text form")->required();

    CLI::App* asmCommand = app.add_subcommand("asm", "Assemble the text form TEXT into the byte program OUT");
    asmCommand->add_option("TEXT", program, "Texture program in the text form")->required();
    asmCommand->add_option("OUT", out, "Byte program to write")->required();

    CLI::App* disasmCommand = app.add_subcommand("disasm", "Write PROGRAM in the text form");
    disasmCommand->add_option("PROGRAM", program, "Texture program, byte or text form")->required();
    disasmCommand->add_option("OUT", out, "Text file to write (default: standard output)");

    CLI::App* storedCommand = app.add_subcommand("stored", "Write the show's stored texture program");
    storedCommand->add_flag("--binary", binary, "Write the byte program instead of the text form");
    storedCommand->add_option("OUT", out, "File to write (default: standard output)");

    CLI::App* viewCommand =
        app.add_subcommand("view", "Show the six layers of PROGRAM in a window, re-run whenever the file is saved");
    viewCommand->add_option("PROGRAM", program, "Texture program, byte or text form")->required();

    CLI::App* opsCommand = app.add_subcommand("ops", "Print the operation reference (Markdown)");
    opsCommand->add_option("--examples", examples, "Folder with one example program per operation, <Name>.txt");

    const std::string mistake = subcommandMistake(app, argc, argv);
    if (!mistake.empty()) {
        std::fputs(commandLineError(app, mistake).c_str(), stderr);
        return 2;
    }
    const int status = parseCommandLine(app, argc, argv);
    if (status >= 0) return status;
    if (runCommand->parsed()) return run(program, out, allLayers, timings);
    if (checkCommand->parsed()) return check(program);
    if (asmCommand->parsed()) return assemble(program, out);
    if (disasmCommand->parsed()) return disassemble(program, out);
    if (storedCommand->parsed()) return stored(out, binary);
    if (viewCommand->parsed()) return viewProgram(program);
    if (opsCommand->parsed()) return reference(examples);
    std::fputs(commandLineError(app, "a subcommand is required: " + subcommandList(app)).c_str(), stderr);
    return 2;
}
