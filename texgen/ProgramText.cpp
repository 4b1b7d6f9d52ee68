// The text form of texture programs: assembler and disassembler, both driven
// by the opcode table.
#include "texgen/ProgramText.h"

#include "texgen/Operations.h"

#include <cstdio>
#include <cstring>

using namespace texgen;

namespace {

struct Token {
    std::string text;
    int column = 0;  // from 1
};

// Bytes of the program that one token made, for pointing at its column.
struct Span {
    uint32_t first = 0, end = 0;
    int line = 0, column = 0;
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits one line into tokens, dropping its comment: '#' at the start or
// after a blank starts one.
std::vector<Token> tokenize(const std::string& line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;  // at the start or after a blank
        const size_t start = i;
        while (i < line.size() && !isBlank(line[i])) ++i;
        tokens.push_back(Token{line.substr(start, i - start), static_cast<int>(start) + 1});
    }
    return tokens;
}

// A whole non-negative number, decimal or 0x hexadecimal, at most 0xFFFFFF.
bool parseNumber(const std::string& s, long* out) {
    if (s.empty() || s.size() > 10) return false;
    const bool hex = s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X');
    long v = 0;
    for (size_t i = hex ? 2 : 0; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        v = v * (hex ? 16 : 10) + digit;
        if (v > 0xFFFFFF) return false;
    }
    *out = v;
    return true;
}

bool parseHexBytes(const std::string& s, size_t start, size_t count, std::vector<uint8_t>* out) {
    if (s.size() - start != 2 * count) return false;
    for (size_t i = 0; i < count; ++i) {
        long v;
        if (!parseNumber("0x" + s.substr(start + 2 * i, 2), &v)) return false;
        out->push_back(static_cast<uint8_t>(v));
    }
    return true;
}

bool parseColour(const std::string& s, std::vector<uint8_t>* out) {
    return s.size() == 7 && s[0] == '#' && parseHexBytes(s, 1, 3, out);
}

// "AxB" -> A, B.
bool parsePair(const std::string& s, long* a, long* b) {
    const size_t x = s.find('x');
    return x != std::string::npos && parseNumber(s.substr(0, x), a) && parseNumber(s.substr(x + 1), b);
}

int sizeCode(long v) {
    for (int code = 0; code <= 9; ++code)
        if (v == (512 >> code)) return code;
    return -1;
}

class Assembler {
public:
    bool assemble(const std::string& text, TextProgram* out);

private:
    bool line(const std::string& text, int number);
    bool operand(int opcode, int index, const Token& token, const std::string& value, uint8_t sizeByte);
    bool refuse(FaultInfo fault, int line, int column) {
        fault_ = std::move(fault);
        line_ = line;
        column_ = column;
        return false;
    }

    std::vector<uint8_t> bytes_ = std::vector<uint8_t>(4, 0);
    std::vector<int> lines_;
    std::vector<Span> spans_;
    FaultInfo fault_;
    int line_ = 0, column_ = 0, lineNumber_ = 0;
};

bool Assembler::assemble(const std::string& text, TextProgram* out) {
    int number = 0;
    bool ok = true;
    // Editors may put a UTF-8 byte-order mark in front: it is no character of the program.
    const size_t begin = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (size_t start = begin; ok && start <= text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string lineText = text.substr(start, end - start);
        if (!lineText.empty() && lineText.back() == '\r') lineText.pop_back();
        ok = line(lineText, ++number);
        start = end + 1;
    }
    if (ok) {
        const uint32_t length = static_cast<uint32_t>(bytes_.size() - 4);
        for (int i = 0; i < 4; ++i) bytes_[i] = static_cast<uint8_t>(length >> (8 * i));
        // What only the whole program shows (sizes followed from layer to
        // layer, tile counts against the size) is the checker's: point at
        // the token that made the offending byte.
        FaultInfo fault;
        if (!checkProgram(bytes_.data(), bytes_.size(), &fault).ok) {
            Span where{0, 0, 1, 1};
            bool found = false;
            for (const Span& span : spans_) {  // the narrowest: a ramp stop rather than its whole ramp
                const bool holds = fault.offset >= span.first && fault.offset < span.end;
                if (holds && (!found || span.end - span.first < where.end - where.first)) where = span, found = true;
            }
            ok = refuse(fault, where.line, where.column);
        }
    }
    out->ok = ok;
    if (ok) {
        out->bytes = std::move(bytes_);
        out->lines = std::move(lines_);
    } else {
        out->fault = fault_;
        out->line = line_;
        out->column = column_;
        out->reason = faultMessage(fault_);
    }
    return ok;
}

bool Assembler::line(const std::string& text, int number) {
    const std::vector<Token> tokens = tokenize(text);
    if (tokens.empty()) return true;
    const int endColumn = static_cast<int>(text.size()) + 1;

    // Operation
    int opcode = -1;
    for (int k = 0; k < kTextureOpCount; ++k)
        if (tokens[0].text == kOps[k].name) opcode = k;
    if (opcode < 0) return refuse(FaultInfo{Fault::UnknownOperation, 0, 0, 0, 0, tokens[0].text}, number, tokens[0].column);
    const OpInfo& info = kOps[opcode];
    const uint32_t start = static_cast<uint32_t>(bytes_.size());

    // Destination and channel mask
    if (tokens.size() < 2) return refuse(FaultInfo{Fault::MissingLayer, 0, 0, 0, 0, info.name}, number, endColumn);
    const std::string& layer = tokens[1].text;
    if (layer.size() != 1 || layer[0] < '0' || layer[0] > '5')
        return refuse(FaultInfo{Fault::BadLayer, 0, 0, 0, 0, layer}, number, tokens[1].column);
    if (tokens.size() < 3) return refuse(FaultInfo{Fault::MissingMask, 0, 0, 0, 0, info.name}, number, endColumn);
    const std::string& mask = tokens[2].text;
    uint8_t flags = static_cast<uint8_t>(layer[0] - '0');
    if (mask != "-") {
        for (char c : mask) {
            const char* letters = "rgbx";
            const char* at = std::strchr(letters, c);
            const uint8_t bit = at && c ? static_cast<uint8_t>(0x80 >> (at - letters)) : 0;
            if (bit == 0 || (flags & bit))
                return refuse(FaultInfo{Fault::BadMask, 0, 0, 0, 0, mask}, number, tokens[2].column);
            flags |= bit;
        }
    }
    bytes_.push_back(static_cast<uint8_t>(opcode));
    bytes_.push_back(flags);
    spans_.push_back(Span{start, start + 2, number, tokens[0].column});

    // Operands by name, then laid out in byte order.
    const int count = info.operandCount();
    std::vector<int> given(static_cast<size_t>(count), -1);  // token index per operand
    for (size_t t = 3; t < tokens.size(); ++t) {
        const std::string& token = tokens[t].text;
        const size_t eq = token.find('=');
        if (eq == std::string::npos || eq == 0)
            return refuse(FaultInfo{Fault::NotAnOperand, 0, 0, 0, 0, token}, number, tokens[t].column);
        const std::string name = token.substr(0, eq);
        int index = -1;
        for (int k = 0; k < count; ++k)
            if (name == info.operands[k].name) index = k;
        if (index < 0)
            return refuse(FaultInfo{Fault::UnknownOperand, 0, opcode, 0, 0, name}, number, tokens[t].column);
        if (given[index] >= 0)
            return refuse(FaultInfo{Fault::RepeatedOperand, 0, 0, 0, 0, name}, number, tokens[t].column);
        given[index] = static_cast<int>(t);
    }
    uint8_t sizeByte = 0;
    lineNumber_ = number;
    for (int k = 0; k < count; ++k) {
        if (given[k] < 0) return refuse(FaultInfo{Fault::MissingOperand, 0, opcode, k}, number, endColumn);
        const Token& token = tokens[static_cast<size_t>(given[k])];
        const std::string value = token.text.substr(token.text.find('=') + 1);
        const uint32_t first = static_cast<uint32_t>(bytes_.size());
        if (!operand(opcode, k, token, value, sizeByte)) return false;
        if (info.operands[k].kind == 's') sizeByte = bytes_[first];
        spans_.push_back(Span{first, static_cast<uint32_t>(bytes_.size()), number, token.column});
    }
    lines_.push_back(number);
    return true;
}

bool Assembler::operand(int opcode, int index, const Token& token, const std::string& value, uint8_t sizeByte) {
    const OperandInfo& operand = kOps[opcode].operands[index];
    const int column = token.column + static_cast<int>(std::strlen(operand.name)) + 1;  // at the value
    const int number = lineNumber_;
    switch (operand.kind) {
    case 's': {
        long w, h;
        if (!parsePair(value, &w, &h) || sizeCode(w) < 0 || sizeCode(h) < 0)
            return refuse(FaultInfo{Fault::BadSize, 0, 0, 0, 0, value}, number, column);
        bytes_.push_back(static_cast<uint8_t>(sizeCode(w) << 4 | sizeCode(h)));
        return true;
    }
    case 'n': {
        long a, b;
        if (!parsePair(value, &a, &b) || a < 1 || a > 16 || b < 1 || b > 16)
            return refuse(FaultInfo{Fault::BadCount, 0, opcode, index, 0, value}, number, column);
        bytes_.push_back(static_cast<uint8_t>((a - 1) << 4 | (b - 1)));
        return true;
    }
    case 'c':
        if (!parseColour(value, &bytes_)) return refuse(FaultInfo{Fault::BadColour, 0, 0, 0, 0, value}, number, column);
        return true;
    case 'r': {
        std::vector<std::string> stops;
        for (size_t from = 0;;) {
            const size_t comma = value.find(',', from);
            stops.push_back(value.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
        if (stops.size() > 16)
            return refuse(FaultInfo{Fault::BadRamp, 0, 0, 0, 0,
                                    std::to_string(stops.size()) + " stops, a ramp has 1..16"},
                          number, column);
        bytes_.push_back(static_cast<uint8_t>(stops.size()));
        int stopColumn = column;
        for (const std::string& stop : stops) {
            const size_t colon = stop.find(':');
            long position;
            if (colon == std::string::npos || !parseNumber(stop.substr(0, colon), &position) || position > 255)
                return refuse(FaultInfo{Fault::BadRamp, 0, 0, 0, 0,
                                        "stop '" + stop + "' is not position:#rrggbb with a position 0..255"},
                              number, stopColumn);
            const uint32_t first = static_cast<uint32_t>(bytes_.size());
            bytes_.push_back(static_cast<uint8_t>(position));
            if (!parseColour(stop.substr(colon + 1), &bytes_))
                return refuse(FaultInfo{Fault::BadColour, 0, 0, 0, 0, stop.substr(colon + 1)}, number,
                              stopColumn + static_cast<int>(colon) + 1);
            spans_.push_back(Span{first, first + 4, number, stopColumn});  // the checker may point at one stop
            stopColumn += static_cast<int>(stop.size()) + 1;
        }
        return true;
    }
    case 'x': {
        const size_t count = static_cast<size_t>(512 >> (sizeByte >> 4)) * static_cast<size_t>(512 >> (sizeByte & 15)) / 8;
        if (!parseHexBytes(value, 0, count, &bytes_))
            return refuse(FaultInfo{Fault::BadBits, 0, static_cast<int>(2 * count), 0, 0, value}, number, column);
        return true;
    }
    default: {  // b, w, l: numbers
        long v;
        if (!parseNumber(value, &v))
            return refuse(FaultInfo{Fault::BadNumber, 0, opcode, index, 0, value}, number, column);
        if (v < operand.min || v > operand.max)
            return refuse(FaultInfo{Fault::OutOfRange, 0, static_cast<int>(v), opcode, index}, number, column);
        const long stored = v - operand.bias;
        bytes_.push_back(static_cast<uint8_t>(stored));
        if (operand.kind == 'w') bytes_.push_back(static_cast<uint8_t>(stored >> 8));
        return true;
    }
    }
}

std::string hexBytes(const uint8_t* p, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        out += digits[p[i] >> 4];
        out += digits[p[i] & 15];
    }
    return out;
}

std::string colourText(const uint8_t* p) { return "#" + hexBytes(p, 3); }

}  // namespace

TextProgram assembleTextureProgram(const std::string& text) {
    TextProgram out;
    Assembler().assemble(text, &out);
    return out;
}

std::string TextProgram::describe() const {
    if (ok) return checkTextureProgram(bytes.data(), bytes.size()).describe();
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + reason;
}

bool disassembleTextureProgram(const uint8_t* bytes, size_t size, std::string* text, ProgramCheck* check) {
    const ProgramCheck result = checkTextureProgram(bytes, size);
    if (check) *check = result;
    if (!result.ok) return false;
    std::string out;
    const uint32_t end = 4 + result.length;
    for (uint32_t offset = 4; offset < end;) {
        Instruction ins;
        decodeInstruction(bytes, offset, end, &ins, nullptr);
        const OpInfo& info = kOps[ins.opcode];
        const uint8_t flags = bytes[offset + 1];
        out += info.name;
        out += ' ';
        out += std::to_string(ins.destination);
        out += ' ';
        std::string mask;
        for (int bit = 0; bit < 4; ++bit)
            if (flags & (0x80 >> bit)) mask += "rgbx"[bit];
        out += mask.empty() ? "-" : mask;
        const uint8_t* p = bytes + offset + 2;
        uint8_t sizeByte = 0;
        for (int k = 0; k < info.operandCount(); ++k) {
            const OperandInfo& operand = info.operands[k];
            out += ' ';
            out += operand.name;
            out += '=';
            char number[32];
            switch (operand.kind) {
            case 's':
                sizeByte = *p;
                out += std::to_string(512 >> (*p >> 4)) + "x" + std::to_string(512 >> (*p & 15));
                ++p;
                break;
            case 'n':
                out += std::to_string((*p >> 4) + 1) + "x" + std::to_string((*p & 15) + 1);
                ++p;
                break;
            case 'c':
                out += colourText(p);
                p += 3;
                break;
            case 'r': {
                const int stops = *p++;
                for (int i = 0; i < stops; ++i, p += 4)
                    out += (i ? "," : "") + std::to_string(p[0]) + ":" + colourText(p + 1);
                break;
            }
            case 'x': {
                const size_t n = static_cast<size_t>(512 >> (sizeByte >> 4)) * static_cast<size_t>(512 >> (sizeByte & 15)) / 8;
                out += hexBytes(p, n);
                p += n;
                break;
            }
            case 'w': {
                const int v = (p[0] | p[1] << 8) + operand.bias;
                std::snprintf(number, sizeof number, operand.hex ? "0x%04X" : "%d", v);
                out += number;
                p += 2;
                break;
            }
            default: {  // b, l
                const int v = *p + operand.bias;
                std::snprintf(number, sizeof number, operand.hex ? "0x%02X" : "%d", v);
                out += number;
                ++p;
                break;
            }
            }
        }
        out += '\n';
        offset += ins.length;
    }
    *text = std::move(out);
    return true;
}

bool isTextProgram(const uint8_t* bytes, size_t size) { return size == 0 || std::memchr(bytes, 0, size) == nullptr; }
