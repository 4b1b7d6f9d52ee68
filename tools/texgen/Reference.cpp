#include "Reference.h"

#include "base/FileRead.h"
#include "texgen/Operations.h"

using namespace texgen;

bool operationReference(const std::string& examplesFolder, std::string* markdown, std::string* error) {
    std::string out;
    std::string folderName = examplesFolder;
    while (!folderName.empty() && folderName.back() == '/') folderName.pop_back();
    folderName = folderName.substr(folderName.rfind('/') + 1);
    for (int opcode = 0; opcode < kTextureOpCount; ++opcode) {
        const OpInfo& info = kOps[opcode];
        std::string summary = info.summary;
        summary[0] = static_cast<char>(summary[0] - 'a' + 'A');
        out += "### " + std::string(info.name) + " (op " + std::to_string(opcode) + ")\n\n" + summary + ".\n\n";
        if (info.operandCount() == 0) {
            out += "No operands.\n\n";
        } else {
            out += "| Operand | Values | Meaning |\n|---|---|---|\n";
            for (int k = 0; k < info.operandCount(); ++k) {
                const OperandInfo& operand = info.operands[k];
                out += "| `" + std::string(operand.name) + "` | " + operandRange(operand) + " | " + operand.meaning +
                       " |\n";
            }
            out += "\n";
        }
        if (examplesFolder.empty()) continue;
        std::vector<uint8_t> example;
        if (!readWholeFile(examplesFolder + "/" + info.name + ".txt", kMaxProgramBytes, &example, error)) return false;
        out += "```\n" + std::string(example.begin(), example.end()) + "```\n\n";
        out += "![" + std::string(info.name) + "](" + folderName + "/" + info.name + ".png)\n\n";
    }
    *markdown = out;
    return true;
}
