// The VOTable reader: the IVOA's XML tables, as the Gaia archive, VizieR and
// the TAP services answer. expat reads the XML a piece at a time, as the
// source gives it; the columns are the FIELDs of the first TABLE that has
// DATA, and its rows come as TABLEDATA (one TD per cell) or as a BINARY2 or
// BINARY stream in base64, decoded as it arrives. No row is kept once handed
// on, and of each row only the wanted cells are made.
//
// A binary cell is given as the text the same cell has in TABLEDATA, so that
// the sink sees one table whichever way the service wrote it: numbers as the
// shortest text that reads back to the same value, strings cut at their
// first NUL and trimmed as a TD is, booleans as T or F, and a null (a BINARY2
// flag, NaN, the FIELD's VALUES null) as the empty text.
#include <expat.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/fixed_texts.h"
#include "text/numbers.h"
#include "text/strings.h"
#include "text/table.h"

namespace celestra {
namespace {

// What the reader asks of the source at a time; expat keeps no more than the
// token it is in the middle of besides.
constexpr std::size_t kPieceBytes = 64 * 1024;

// Between a namespace and a name in what expat hands over; no XML text can
// hold it, so the name is what follows its last occurrence.
constexpr char kNamespaceSeparator = '\x01';

std::string_view LocalName(const XML_Char* name) {
    const std::string_view whole(name);
    const std::size_t separator = whole.rfind(kNamespaceSeparator);
    return separator == std::string_view::npos ? whole : whole.substr(separator + 1);
}

// The attribute `name` of an element, whatever its namespace; null when the
// element has none.
const XML_Char* Attribute(const XML_Char** attributes, std::string_view name) {
    for (; attributes[0] != nullptr; attributes += 2) {
        if (LocalName(attributes[0]) == name) return attributes[1];
    }
    return nullptr;
}

std::string AttributeText(const XML_Char** attributes, std::string_view name) {
    const XML_Char* value = Attribute(attributes, name);
    return value != nullptr ? std::string(Trim(value)) : std::string();
}

// The elements the reader acts on; any other is passed over with what it holds.
enum class Element {
    kOther,
    kVotable,
    kTable,
    kField,
    kDescription,
    kValues,
    kCoosys,
    kInfo,
    kData,
    kTabledata,
    kTr,
    kTd,
    kBinary,
    kBinary2,
    kFits,
    kStream,
};

Element ElementOf(std::string_view local) {
    static constexpr std::pair<std::string_view, Element> kElements[] = {
        {"VOTABLE", Element::kVotable},
        {"TABLE", Element::kTable},
        {"FIELD", Element::kField},
        {"DESCRIPTION", Element::kDescription},
        {"VALUES", Element::kValues},
        {"COOSYS", Element::kCoosys},
        {"INFO", Element::kInfo},
        {"DATA", Element::kData},
        {"TABLEDATA", Element::kTabledata},
        {"TR", Element::kTr},
        {"TD", Element::kTd},
        {"BINARY", Element::kBinary},
        {"BINARY2", Element::kBinary2},
        {"FITS", Element::kFits},
        {"STREAM", Element::kStream},
    };
    for (const auto& [name, element] : kElements) {
        if (local == name) return element;
    }
    return Element::kOther;
}

enum class Primitive {
    kBoolean,
    kBit,
    kUnsignedByte,
    kShort,
    kInt,
    kLong,
    kChar,
    kUnicodeChar,
    kFloat,
    kDouble,
    kFloatComplex,
    kDoubleComplex,
};

struct PrimitiveType {
    std::string_view name;
    Primitive primitive;
    unsigned bytes;  // of one element; a bit array takes its bits' bytes
};

constexpr PrimitiveType kPrimitives[] = {
    {"boolean", Primitive::kBoolean, 1},
    {"bit", Primitive::kBit, 0},
    {"unsignedByte", Primitive::kUnsignedByte, 1},
    {"short", Primitive::kShort, 2},
    {"int", Primitive::kInt, 4},
    {"long", Primitive::kLong, 8},
    {"char", Primitive::kChar, 1},
    {"unicodeChar", Primitive::kUnicodeChar, 2},
    {"float", Primitive::kFloat, 4},
    {"double", Primitive::kDouble, 8},
    {"floatComplex", Primitive::kFloatComplex, 8},
    {"doubleComplex", Primitive::kDoubleComplex, 16},
};

const PrimitiveType* PrimitiveNamed(std::string_view name) {
    for (const PrimitiveType& type : kPrimitives) {
        if (type.name == name) return &type;
    }
    return nullptr;
}

bool IsInteger(Primitive primitive) {
    return primitive == Primitive::kUnsignedByte || primitive == Primitive::kShort || primitive == Primitive::kInt ||
           primitive == Primitive::kLong;
}

bool IsReal(Primitive primitive) { return primitive == Primitive::kFloat || primitive == Primitive::kDouble; }

// A variable array may hold up to 2^32 - 1 elements by its count; a fixed one
// is held to as many.
constexpr std::uint64_t kMostElements = 0xFFFFFFFFu;

// The elements of a fixed arraysize ("8", "2x3"), or of the fixed part of a
// variable one, whose last dimension ends in '*' ("*", "10*", "3x*"). False
// for a size that is neither.
bool ReadArraysize(std::string_view text, std::uint64_t& elements, bool& variable) {
    elements = 1;
    variable = false;
    if (text.empty()) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t x = text.find('x', start);
        const std::string_view dimension = text.substr(start, x == std::string_view::npos ? text.npos : x - start);
        const bool last = x == std::string_view::npos;
        if (last && dimension.ends_with('*')) {
            const std::string_view bound = dimension.substr(0, dimension.size() - 1);
            std::uint64_t most = 0;
            if (!bound.empty() &&
                std::from_chars(bound.data(), bound.data() + bound.size(), most).ptr != bound.data() + bound.size()) {
                return false;
            }
            variable = true;
            return true;
        }
        std::uint64_t size = 0;
        const auto [end, error] = std::from_chars(dimension.data(), dimension.data() + dimension.size(), size);
        if (dimension.empty() || error != std::errc() || end != dimension.data() + dimension.size() || size == 0 ||
            size > kMostElements / elements) {
            return false;
        }
        elements *= size;
        if (last) return true;
        start = x + 1;
    }
}

// One column: what the header says of it, and how its binary cells read.
struct Field {
    TableColumn column;
    std::string datatype;
    std::string arraysize;
    std::string ref;   // the ID of its coordinate system, or of anything else
    std::string null;  // its VALUES null, as written
    bool hasNull = false;
    bool described = false;               // its first DESCRIPTION taken
    std::uint64_t line = 0;               // where its FIELD begins
    const PrimitiveType* type = nullptr;  // null while unknown
    bool array = false;                   // more than one element to a cell
    bool variable = false;                // a count before each cell's elements
    std::uint64_t elements = 1;           // of a fixed size
};

bool ReadInteger(std::string_view text, std::int64_t& value) {
    if (text.starts_with('+')) text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Whether a scalar cell's text is its field's VALUES null: the same text, or
// for an integer the same number.
bool IsNullValue(const Field& field, std::string_view text) {
    if (!field.hasNull || field.array) return false;
    if (text == field.null) return true;
    std::int64_t value = 0;
    std::int64_t null = 0;
    return field.type != nullptr && IsInteger(field.type->primitive) && ReadInteger(text, value) &&
           ReadInteger(field.null, null) && value == null;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != lower[i]) return false;
    }
    return true;
}

// The texts the format has for a value beyond a number.
constexpr std::string_view kTrue = "T";
constexpr std::string_view kFalse = "F";
constexpr std::string_view kNotANumber = "NaN";
constexpr std::string_view kPlusInfinity = "+Inf";
constexpr std::string_view kMinusInfinity = "-Inf";
constexpr std::string_view kUnknownTruth = "?";

// A TD's text as the cell's text: trimmed, and empty for every way the
// format has of writing a null; a boolean as T or F.
std::string_view TabledataCell(const Field& field, std::string_view text) {
    text = Trim(text);
    if (text.empty() || IsNullValue(field, text)) return {};
    if (field.type == nullptr || field.array) return text;
    if (IsReal(field.type->primitive) && EqualsIgnoringCase(text, "nan")) return {};
    if (field.type->primitive == Primitive::kBoolean) {
        if (text == "T" || text == "t" || text == "1" || EqualsIgnoringCase(text, "true")) return kTrue;
        if (text == "F" || text == "f" || text == "0" || EqualsIgnoringCase(text, "false")) return kFalse;
        if (text == kUnknownTruth) return {};
    }
    return text;
}

std::uint64_t BigEndian(const unsigned char* bytes, unsigned count) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < count; ++i) value = value << 8 | bytes[i];
    return value;
}

template <typename Number>
void AppendNumber(std::string& text, Number value) {
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, result.ptr);
}

template <typename Real>
void AppendReal(std::string& text, Real value) {
    if (std::isnan(value)) {
        text += kNotANumber;
    } else if (std::isinf(value)) {
        text += value > 0 ? kPlusInfinity : kMinusInfinity;
    } else {
        AppendNumber(text, value);
    }
}

void AppendUtf8(std::string& text, std::uint32_t code) {
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UCS-2 as UTF-8, up to the first NUL. A surrogate pair, which UCS-2 does
// not have but some writers put there, is read as UTF-16 would.
void AppendUnicode(std::string& text, const unsigned char* bytes, std::uint64_t count) {
    constexpr std::uint32_t kReplacement = 0xFFFD;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint32_t code = static_cast<std::uint32_t>(BigEndian(bytes + 2 * i, 2));
        if (code == 0) return;
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < count) {
            const auto low = static_cast<std::uint32_t>(BigEndian(bytes + 2 * (i + 1), 2));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code >= 0xD800 && code <= 0xDFFF) code = kReplacement;
        AppendUtf8(text, code);
    }
}

// One binary cell's text, from its `count` elements' bytes.
void BinaryCell(const Field& field, const unsigned char* bytes, std::uint64_t count, std::string& text) {
    text.clear();
    const Primitive primitive = field.type->primitive;
    const unsigned size = field.type->bytes;
    const auto separate = [&text](std::uint64_t i) {
        if (i > 0) text += ' ';
    };
    switch (primitive) {
        case Primitive::kChar: {
            const std::string_view chars(reinterpret_cast<const char*>(bytes), count);
            text = Trim(chars.substr(0, chars.find('\0')));
            return;
        }
        case Primitive::kUnicodeChar: {
            AppendUnicode(text, bytes, count);
            text = std::string(Trim(text));
            return;
        }
        case Primitive::kBit:
            for (std::uint64_t i = 0; i < count; ++i) text += (bytes[i / 8] >> (7 - i % 8) & 1) != 0 ? '1' : '0';
            return;
        case Primitive::kBoolean:
            for (std::uint64_t i = 0; i < count; ++i) {
                separate(i);
                const char c = static_cast<char>(bytes[i]);
                if (c == 'T' || c == 't' || c == '1') {
                    text += kTrue;
                } else if (c == 'F' || c == 'f' || c == '0') {
                    text += kFalse;
                } else if (field.array) {
                    text += kUnknownTruth;  // one unknown among others; a scalar one is a null
                }
            }
            return;
        case Primitive::kFloat:
        case Primitive::kFloatComplex:
        case Primitive::kDouble:
        case Primitive::kDoubleComplex: {
            const bool single = primitive == Primitive::kFloat || primitive == Primitive::kFloatComplex;
            const unsigned partBytes = single ? 4 : 8;
            const std::uint64_t parts = count * size / partBytes;
            bool allNaN = true;
            for (std::uint64_t i = 0; i < parts; ++i) {
                separate(i);
                const std::uint64_t bits = BigEndian(bytes + i * partBytes, partBytes);
                if (single) {
                    const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
                    allNaN = allNaN && std::isnan(value);
                    AppendReal(text, value);
                } else {
                    const auto value = std::bit_cast<double>(bits);
                    allNaN = allNaN && std::isnan(value);
                    AppendReal(text, value);
                }
            }
            // A scalar that is no number is a null, as in TABLEDATA.
            if (!field.array && allNaN) text.clear();
            return;
        }
        case Primitive::kUnsignedByte:
        case Primitive::kShort:
        case Primitive::kInt:
        case Primitive::kLong:
            for (std::uint64_t i = 0; i < count; ++i) {
                separate(i);
                const std::uint64_t bits = BigEndian(bytes + i * size, size);
                switch (primitive) {
                    case Primitive::kUnsignedByte: AppendNumber(text, static_cast<unsigned>(bits)); break;
                    case Primitive::kShort:
                        AppendNumber(text, static_cast<std::int16_t>(static_cast<std::uint16_t>(bits)));
                        break;
                    case Primitive::kInt:
                        AppendNumber(text, static_cast<std::int32_t>(static_cast<std::uint32_t>(bits)));
                        break;
                    default: AppendNumber(text, static_cast<std::int64_t>(bits)); break;
                }
            }
            if (IsNullValue(field, text)) text.clear();
            return;
    }
}

// Base64 as it comes, in pieces that need not hold whole groups of four:
// blanks and line ends are passed over, and '=' closes a group early.
class Base64Decoder {
public:
    // Adds the bytes of `text` to `bytes`; false at a character base64 does
    // not have, with the bytes before it added.
    bool Decode(std::string_view text, std::string& bytes) {
        for (const char c : text) {
            const int value = ValueOf(c);
            if (value >= 0) {
                group_ = group_ << 6 | static_cast<std::uint32_t>(value);
                padded_ = false;
                if (++count_ == 4) {
                    bytes += static_cast<char>(group_ >> 16 & 0xFF);
                    bytes += static_cast<char>(group_ >> 8 & 0xFF);
                    bytes += static_cast<char>(group_ & 0xFF);
                    count_ = 0;
                    group_ = 0;
                }
            } else if (c == '=') {
                if (count_ >= 2) {
                    Close(bytes);
                    padded_ = true;
                } else if (count_ != 0 || !padded_) {
                    return false;
                }
            } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
                return false;
            }
        }
        return true;
    }

    // At the stream's end: the bytes of a group left open. False when one
    // character alone is left, which holds no whole byte.
    bool Finish(std::string& bytes) {
        if (count_ == 1) return false;
        if (count_ > 1) Close(bytes);
        return true;
    }

private:
    static int ValueOf(char c) {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    }

    // The bytes of a group of two or three characters.
    void Close(std::string& bytes) {
        const std::uint32_t group = group_ << (6 * (4 - count_));
        bytes += static_cast<char>(group >> 16 & 0xFF);
        if (count_ == 3) bytes += static_cast<char>(group >> 8 & 0xFF);
        count_ = 0;
        group_ = 0;
    }

    std::uint32_t group_ = 0;
    unsigned count_ = 0;
    bool padded_ = false;
};

struct ParserDeleter {
    void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

class VoTableReader {
public:
    VoTableReader(ByteSource& source, TableSink& sink) : source_(source), sink_(sink) {}

    void Read() {
        parser_.reset(XML_ParserCreateNS(nullptr, kNamespaceSeparator));
        if (!parser_) throw std::bad_alloc();
        XML_SetUserData(parser_.get(), this);
        XML_SetElementHandler(parser_.get(), &VoTableReader::OnStart, &VoTableReader::OnEnd);
        XML_SetCharacterDataHandler(parser_.get(), &VoTableReader::OnText);
        for (;;) {
            void* buffer = XML_GetBuffer(parser_.get(), static_cast<int>(kPieceBytes));
            if (buffer == nullptr) throw std::bad_alloc();
            const std::size_t got = source_.Read(static_cast<char*>(buffer), kPieceBytes);
            const bool last = got == 0;
            if (XML_ParseBuffer(parser_.get(), static_cast<int>(got), last) != XML_STATUS_OK) {
                if (failure_) std::rethrow_exception(failure_);
                RefuseXml(last);
            }
            if (last) break;
        }
        if (!dataBegun_) {
            std::string reason = kVoTableNoData;
            if (!serviceError_.empty()) {
                reason = kVoTableServiceErrorBefore + serviceError_;
            } else if (!tableSeen_) {
                reason = kVoTableNoTable;
            }
            throw TableError({Line(), 0}, "", std::move(reason));
        }
    }

private:
    enum class Step { kFlags, kCount, kElements };

    // expat is C: what a handler throws is kept and thrown again once expat
    // has stopped, never through its frames.
    template <typename Call>
    void Guard(Call call) {
        if (failure_) return;
        try {
            call();
        } catch (...) {
            failure_ = std::current_exception();
            XML_StopParser(parser_.get(), XML_FALSE);
        }
    }

    static void XMLCALL OnStart(void* self, const XML_Char* name, const XML_Char** attributes) {
        auto* reader = static_cast<VoTableReader*>(self);
        reader->Guard([&] { reader->Start(name, attributes); });
    }
    static void XMLCALL OnEnd(void* self, const XML_Char*) {
        auto* reader = static_cast<VoTableReader*>(self);
        reader->Guard([&] { reader->End(); });
    }
    static void XMLCALL OnText(void* self, const XML_Char* text, int size) {
        auto* reader = static_cast<VoTableReader*>(self);
        reader->Guard([&] { reader->Text(std::string_view(text, static_cast<std::size_t>(size))); });
    }

    std::uint64_t Line() const { return XML_GetCurrentLineNumber(parser_.get()); }

    [[noreturn]] void RefuseXml(bool atEnd) const {
        const XML_Error error = XML_GetErrorCode(parser_.get());
        // At the end, these say that the bytes stop inside the document.
        const bool cut = atEnd && ((error == XML_ERROR_NO_ELEMENTS && rootSeen_) || error == XML_ERROR_UNCLOSED_TOKEN ||
                                   error == XML_ERROR_PARTIAL_CHAR || error == XML_ERROR_UNCLOSED_CDATA_SECTION);
        throw TableError(
            {Line(), 0}, "",
            cut ? std::string(kVoTableTruncated) : kVoTableBadXmlBefore + std::string(XML_ErrorString(error)));
    }

    [[noreturn]] void RefuseField(const Field& field, std::string reason) const {
        throw TableError({field.line, 0}, field.column.name, std::move(reason));
    }

    void Start(const XML_Char* name, const XML_Char** attributes) {
        const std::string_view local = LocalName(name);
        const Element element = ElementOf(local);
        const Element parent = open_.empty() ? Element::kOther : open_.back();
        open_.push_back(element);
        if (!rootSeen_) {
            rootSeen_ = true;
            if (element != Element::kVotable) {
                throw TableError({Line(), 0}, "",
                                 kVoTableOtherRootBefore + std::string(local) + kVoTableOtherRootAfter);
            }
        }
        if (dataEnded_) return;
        switch (element) {
            case Element::kCoosys: {
                const XML_Char* id = Attribute(attributes, "ID");
                if (id != nullptr) epochs_[id] = AttributeText(attributes, "epoch");
                onlyEpoch_ = ++coordinateSystems_ == 1 ? AttributeText(attributes, "epoch") : std::string();
                break;
            }
            case Element::kInfo:
                if (serviceError_.empty() && AttributeText(attributes, "name") == "QUERY_STATUS" &&
                    AttributeText(attributes, "value") == "ERROR") {
                    text_ = &serviceError_;
                }
                break;
            case Element::kTable:
                tableSeen_ = true;
                inTable_ = true;
                fields_.clear();
                break;
            case Element::kField:
                if (parent == Element::kTable && inTable_) StartField(attributes);
                break;
            case Element::kDescription:
                if (parent == Element::kField && inField_ && !fields_.back().described) {
                    describing_ = true;
                    text_ = &fields_.back().column.description;
                }
                break;
            case Element::kValues:
                if (parent == Element::kField && inField_) {
                    const XML_Char* null = Attribute(attributes, "null");
                    if (null != nullptr) {
                        fields_.back().null = Trim(null);
                        fields_.back().hasNull = true;
                    }
                }
                break;
            case Element::kData:
                if (parent == Element::kTable && inTable_) StartData();
                break;
            case Element::kFits:
                if (parent == Element::kData && inData_) throw TableError({Line(), 0}, "", kVoTableFitsData);
                break;
            case Element::kBinary:
            case Element::kBinary2:
                if (parent == Element::kData && inData_) StartBinary(element == Element::kBinary2);
                break;
            case Element::kStream:
                if ((parent == Element::kBinary || parent == Element::kBinary2) && inBinary_) StartStream(attributes);
                break;
            case Element::kTabledata: inTabledata_ = parent == Element::kData && inData_; break;
            case Element::kTr:
                if (parent == Element::kTabledata && inTabledata_) {
                    inRow_ = true;
                    rowLine_ = Line();
                    cellsInRow_ = 0;
                }
                break;
            case Element::kTd:
                if (parent == Element::kTr && inRow_) {
                    const std::size_t column = cellsInRow_++;
                    if (column < fields_.size() && wanted_[column]) {
                        text_ = &cells_[column];
                        text_->clear();
                    }
                }
                break;
            default: break;
        }
    }

    void End() {
        const Element element = open_.back();
        open_.pop_back();
        if (dataEnded_) return;
        switch (element) {
            case Element::kTable: inTable_ = false; break;
            case Element::kField: inField_ = false; break;
            case Element::kDescription:
                if (describing_) {
                    describing_ = false;
                    text_ = nullptr;
                    Field& field = fields_.back();
                    field.column.description = std::string(Trim(field.column.description));
                    field.described = true;
                }
                break;
            case Element::kInfo:
                if (text_ == &serviceError_) {
                    text_ = nullptr;
                    serviceError_ = std::string(Trim(serviceError_));
                }
                break;
            case Element::kTd: text_ = nullptr; break;
            case Element::kTr:
                if (inRow_) EndRow();
                break;
            case Element::kStream:
                if (inStream_) EndStream();
                break;
            case Element::kBinary:
            case Element::kBinary2: inBinary_ = false; break;
            case Element::kTabledata: inTabledata_ = false; break;
            case Element::kData:
                if (inData_) {
                    inData_ = false;
                    dataEnded_ = true;  // the table the reader gives; the rest is only checked to be XML
                }
                break;
            default: break;
        }
    }

    void Text(std::string_view text) {
        if (dataEnded_) return;
        if (inStream_) {
            DecodeStream(text);
        } else if (text_ != nullptr) {
            text_->append(text);
        }
    }

    void StartField(const XML_Char** attributes) {
        Field& field = fields_.emplace_back();
        inField_ = true;
        field.line = Line();
        field.column.name = AttributeText(attributes, "name");
        if (field.column.name.empty()) field.column.name = AttributeText(attributes, "ID");
        field.column.unit = AttributeText(attributes, "unit");
        field.column.ucd = AttributeText(attributes, "ucd");
        field.datatype = AttributeText(attributes, "datatype");
        field.arraysize = AttributeText(attributes, "arraysize");
        field.ref = AttributeText(attributes, "ref");
        field.type = PrimitiveNamed(field.datatype);
        // "1" is read as one element, which the format asks writers not to
        // mark as an array.
        field.array = !field.arraysize.empty() && field.arraysize != "1";
    }

    // The header is complete: the sink learns the columns, and says which
    // it wants.
    void StartData() {
        dataBegun_ = true;
        inData_ = true;
        if (fields_.empty()) throw TableError({Line(), 0}, "", kVoTableNoFields);
        std::vector<TableColumn> columns;
        columns.reserve(fields_.size());
        for (const Field& field : fields_) {
            if (field.type == nullptr && !field.datatype.empty()) {
                RefuseField(field, kVoTableUnknownTypeBefore + field.datatype + kVoTableUnknownTypeAfter);
            }
            TableColumn& column = columns.emplace_back(field.column);
            const auto epoch = epochs_.find(field.ref);
            if (!field.ref.empty() && epoch != epochs_.end()) {
                column.epoch = epoch->second;
            } else if (field.ref.empty() && column.ucd.starts_with("pos.eq.")) {
                // A document of one coordinate system need not point its
                // places to it.
                column.epoch = onlyEpoch_;
            }
        }
        wantedOrder_ = sink_.Columns(columns);
        wanted_.assign(fields_.size(), false);
        for (const std::size_t column : wantedOrder_) wanted_.at(column) = true;
        cells_.assign(fields_.size(), std::string());
        views_.assign(wantedOrder_.size(), std::string_view());
    }

    void EndRow() {
        inRow_ = false;
        ++rows_;
        if (cellsInRow_ != fields_.size()) {
            throw TableError({rowLine_, rows_}, cellsInRow_ < fields_.size() ? fields_[cellsInRow_].column.name : "",
                             kVoTableCellCountBefore + IntToText(static_cast<std::int64_t>(cellsInRow_)) +
                                 kVoTableCellCountMiddle + IntToText(static_cast<std::int64_t>(fields_.size())) +
                                 kVoTableCellCountAfter);
        }
        for (std::size_t slot = 0; slot < wantedOrder_.size(); ++slot) {
            const std::size_t column = wantedOrder_[slot];
            views_[slot] = TabledataCell(fields_[column], cells_[column]);
        }
        sink_.Row(views_, {rowLine_, rows_});
    }

    // ---- BINARY and BINARY2 ---------------------------------------------------

    void StartBinary(bool nullFlags) {
        inBinary_ = true;
        for (Field& field : fields_) {
            if (field.type == nullptr) RefuseField(field, kVoTableNoType);
            if (!field.arraysize.empty() && !ReadArraysize(field.arraysize, field.elements, field.variable)) {
                RefuseField(field, kVoTableBadArraysizeBefore + field.arraysize + kVoTableBadArraysizeAfter);
            }
        }
        flagBytes_ = nullFlags ? (fields_.size() + 7) / 8 : 0;
    }

    void StartStream(const XML_Char** attributes) {
        if (Attribute(attributes, "href") != nullptr) throw TableError({Line(), 0}, "", kVoTableExternalData);
        const std::string encoding = AttributeText(attributes, "encoding");
        if (!encoding.empty() && encoding != "base64") {
            throw TableError({Line(), 0}, "", kVoTableEncodingBefore + encoding + kVoTableEncodingAfter);
        }
        inStream_ = true;
        BeginRow();
    }

    void DecodeStream(std::string_view text) {
        decoded_.clear();
        const bool valid = base64_.Decode(text, decoded_);
        Feed(decoded_);
        if (!valid) RefuseBinary(kVoTableBadBase64);
    }

    void EndStream() {
        inStream_ = false;
        decoded_.clear();
        const bool whole = base64_.Finish(decoded_);
        Feed(decoded_);
        if (!whole || rowBytes_ > 0) RefuseBinary(kVoTableEndsMidRow);
    }

    // A fault in the row being read, at the column being read (none while in
    // its null flags).
    [[noreturn]] void RefuseBinary(const char* reason) const {
        throw TableError({0, rows_ + 1}, step_ == Step::kFlags ? "" : fields_[field_].column.name, reason);
    }

    // Each row goes by steps: its null flags (BINARY2), then per field the
    // count of a variable array, then the elements. A step's bytes are kept
    // only when needed: the flags, the count, a wanted field's elements.
    void Feed(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t take = remaining_ < bytes.size() ? static_cast<std::size_t>(remaining_) : bytes.size();
            if (keep_) kept_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            remaining_ -= take;
            rowBytes_ += take;
            if (remaining_ == 0) EndStep();
        }
    }

    void BeginRow() {
        rowBytes_ = 0;
        if (flagBytes_ > 0) {
            BeginStep(Step::kFlags, flagBytes_, true);
        } else {
            BeginField(0);
        }
    }

    void BeginStep(Step step, std::uint64_t bytes, bool keep) {
        step_ = step;
        remaining_ = bytes;
        keep_ = keep;
        kept_.clear();
    }

    void BeginField(std::size_t field) {
        field_ = field;
        if (fields_[field].variable) {
            BeginStep(Step::kCount, 4, true);
        } else {
            BeginElements(fields_[field].elements);
        }
    }

    void BeginElements(std::uint64_t elements) {
        elements_ = elements;
        const PrimitiveType& type = *fields_[field_].type;
        const std::uint64_t bytes = type.primitive == Primitive::kBit ? (elements + 7) / 8 : elements * type.bytes;
        BeginStep(Step::kElements, bytes, wanted_[field_]);
        if (bytes == 0) EndField();  // an empty variable array
    }

    void EndStep() {
        switch (step_) {
            case Step::kFlags:
                flags_ = kept_;
                BeginField(0);
                break;
            case Step::kCount: BeginElements(BigEndian(reinterpret_cast<const unsigned char*>(kept_.data()), 4)); break;
            case Step::kElements: EndField(); break;
        }
    }

    bool FlaggedNull(std::size_t field) const {
        return flagBytes_ > 0 && (static_cast<unsigned char>(flags_[field / 8]) & (0x80u >> (field % 8))) != 0;
    }

    void EndField() {
        if (wanted_[field_]) {
            std::string& cell = cells_[field_];
            if (FlaggedNull(field_)) {
                cell.clear();
            } else {
                BinaryCell(fields_[field_], reinterpret_cast<const unsigned char*>(kept_.data()), elements_, cell);
            }
        }
        if (field_ + 1 < fields_.size()) {
            BeginField(field_ + 1);
            return;
        }
        ++rows_;
        for (std::size_t slot = 0; slot < wantedOrder_.size(); ++slot) views_[slot] = cells_[wantedOrder_[slot]];
        sink_.Row(views_, {0, rows_});
        BeginRow();
    }

    ByteSource& source_;
    TableSink& sink_;
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser_;
    std::exception_ptr failure_;  // what a handler threw

    std::vector<Element> open_;  // the elements open, the innermost last
    bool rootSeen_ = false;
    bool tableSeen_ = false;
    bool dataBegun_ = false;  // the DATA of the table given
    bool dataEnded_ = false;
    bool inTable_ = false;
    bool inField_ = false;
    bool inData_ = false;
    bool inTabledata_ = false;
    bool inRow_ = false;
    bool inBinary_ = false;
    bool inStream_ = false;
    bool describing_ = false;      // a FIELD's first DESCRIPTION
    std::string* text_ = nullptr;  // where the text being read goes, if anywhere

    std::map<std::string, std::string, std::less<>> epochs_;  // by COOSYS ID
    int coordinateSystems_ = 0;                               // COOSYS seen
    std::string onlyEpoch_;                                   // the epoch of the one COOSYS, when one
    std::string serviceError_;                                // an INFO QUERY_STATUS=ERROR's text
    std::vector<Field> fields_;

    std::vector<std::size_t> wantedOrder_;  // as the sink asked for them
    std::vector<bool> wanted_;              // by column
    std::vector<std::string> cells_;        // the wanted cells of the row, by column
    std::vector<std::string_view> views_;   // as the sink gets them
    std::uint64_t rows_ = 0;                // the rows read
    std::uint64_t rowLine_ = 0;
    std::size_t cellsInRow_ = 0;

    Base64Decoder base64_;
    std::string decoded_;
    std::size_t flagBytes_ = 0;
    Step step_ = Step::kFlags;
    std::size_t field_ = 0;
    std::uint64_t remaining_ = 0;  // bytes of the step still to come
    bool keep_ = false;
    std::string kept_;            // the step's bytes, when kept
    std::string flags_;           // the row's null flags
    std::uint64_t elements_ = 0;  // of the field being read
    std::uint64_t rowBytes_ = 0;  // of the row being read
};

}  // namespace

void ReadVoTable(ByteSource& source, TableSink& sink) { VoTableReader(source, sink).Read(); }

}  // namespace celestra
