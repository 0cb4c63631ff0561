// CPortableString::FormatV against vsnprintf. The input is decoded into a format made of
// literal chunks, "%%" and conversion specifications (flags, width, precision, size prefix) of
// the kinds the length estimate knows, with matching arguments. The string must end up holding
// exactly vsnprintf's output cut to the estimate, where the estimate is recomputed here from the
// estimating rules, and must never write past its buffer (AddressSanitizer).
//
// Arguments travel in a hand-made x86-64 va_list whose register areas count as used up, so
// that every argument is read in order from one array of 8-byte slots, whatever its type. The
// formats are chosen so that the estimate and vsnprintf read the same slots as compatible
// types; conversions on which they disagree (a second "l", "E", "a", unknown letters) are only
// placed last, where extra zero slots absorb the difference.
//
// The string may also be formatted into itself: its "s" arguments then point into its own
// text, or the format is its own text, and the output must be made from the old text.
#include <stdarg.h>
#include <string.h>

#include <vector>

#include "VelqonMFC.h"
#include "fuzz_input.h"

namespace {

// x86-64 System V va_list record.
struct SlotList {
    unsigned gpOffset;
    unsigned fpOffset;
    void* overflowArea;
    void* registerArea;
};
static_assert(sizeof(SlotList) == sizeof(va_list), "x86-64 va_list layout");

// Offsets past the six integer and eight vector registers: everything comes from the slots.
void startList(va_list list, uint64_t* slots) {
    const SlotList record = {48, 176, slots, nullptr};
    memcpy(list, &record, sizeof record);
}

int slotInt(uint64_t slot) {
    return static_cast<int>(static_cast<uint32_t>(slot));
}

double slotDouble(uint64_t slot) {
    double value;
    memcpy(&value, &slot, sizeof value);
    return value;
}

char const* slotText(uint64_t slot) {
    return reinterpret_cast<char const*>(static_cast<uintptr_t>(slot));
}

uint64_t pointerSlot(void const* pointer) {
    return reinterpret_cast<uintptr_t>(pointer);
}

uint64_t doubleSlot(double value) {
    uint64_t slot;
    memcpy(&slot, &value, sizeof slot);
    return slot;
}

int atLeast(int a, int b) {
    return a > b ? a : b;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int readNumber(char const*& p) {
    int value = 0;
    while (isDigit(*p)) {
        value = value * 10 + (*p++ - '0');
    }
    return value;
}

// The length estimate from its rules: a literal character adds the length of the rest of the
// format, "%%" the rest counted from its second "%", a conversion its item length and 2 for
// each "#" flag.
long referenceEstimate(std::string const& format, uint64_t const* slots) {
    long total = 0;
    char const* p = format.c_str();
    while (*p != '\0') {
        if (*p != '%') {
            total += static_cast<long>(strlen(p));
            ++p;
            continue;
        }
        if (p[1] == '%') {
            total += static_cast<long>(strlen(p + 1));
            p += 2;
            continue;
        }
        ++p;
        int width = 0;
        int precision = 0;
        for (;; ++p) {
            if (*p == '#') {
                total += 2;
            } else if (*p == '*') {
                width = slotInt(*slots++);
            } else if (!strchr("-+0 ", *p) || *p == '\0') {
                break;
            }
        }
        if (width == 0) {
            width = readNumber(p);
        }
        if (*p == '.') {
            ++p;
            if (*p == '*') {
                precision = slotInt(*slots++);
                ++p;
            } else {
                precision = readNumber(p);
            }
        }
        char mark = ' ';
        if (strncmp(p, "I64", 3) == 0) {
            mark = '6';
            p += 3;
        } else if (*p == 'h' || *p == 'l') {
            mark = *p++;
        } else if (*p == 'F' || *p == 'L' || *p == 'N') {
            ++p;
        }
        char const conversion = *p;
        if (conversion == '\0') {
            break;  // a format cut inside a conversion; the decoder never makes one
        }
        ++p;
        bool const narrow = mark == ' ' || mark == 'h';
        bool const textItem = ((conversion == 'c' || conversion == 'C') && mark != '6') ||
                              ((conversion == 's' || conversion == 'S') && narrow);
        long item = 0;
        if (conversion == 'c' || conversion == 'C') {
            if (textItem) {
                ++slots;
                item = 2;
            }
        } else if (conversion == 's' || conversion == 'S') {
            if (textItem) {
                char const* text = slotText(*slots++);
                item = text == nullptr ? 6 : atLeast(static_cast<int>(strlen(text)), 1);
            }
        } else if (strchr("diouxXp", conversion)) {
            ++slots;
            item = atLeast(32, width + precision);
        } else if (strchr("egG", conversion)) {
            ++slots;
            item = atLeast(128, width + precision);
        } else if (conversion == 'f') {
            item = snprintf(nullptr, 0, "%*.*f", width, precision + 6, slotDouble(*slots++));
        } else if (conversion == 'n') {
            ++slots;
        }
        if (textItem) {
            if (precision != 0 && item > precision) {
                item = precision;
            }
            item = atLeast(static_cast<int>(item), width);
        }
        total += item;
    }
    return total;
}

// A format and its argument slots, decoded from the fuzz input.
struct Case {
    std::string format;
    std::vector<uint64_t> slots;
    std::vector<std::string> texts;  // targets of "s" arguments
    std::vector<std::wstring> wide;  // targets of "S" arguments (vsnprintf reads wchar_t)
    long long sink[16] = {};         // targets of "n" arguments
    int sinks = 0;
};

char const* pick(FuzzInput& input, std::vector<char const*> const& choices) {
    return choices[static_cast<size_t>(input.range(0, static_cast<int>(choices.size()) - 1))];
}

uint64_t randomBits(FuzzInput& input) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i) {
        bits = bits << 8 | input.byte();
    }
    return bits;
}

// Appends one conversion ("%" and its flags, width, precision, prefix and letter) with its
// arguments. `last` allows the conversions that read a different argument than the estimate
// assumes.
void addConversion(FuzzInput& input, Case& c, bool last) {
    static const std::vector<char const*> conversions = {"c", "C", "s", "S", "d", "i", "o", "u",
                                                         "x", "X", "p", "e", "g", "G", "f", "n"};
    static const std::vector<char const*> lastOnly = {"lld", "hhx", "llu", "E",  "a",
                                                      "A",   "ls",  "y",   "lc", "I64s"};
    std::string piece = "%";
    int const flagCount = input.range(0, 3);
    for (int i = 0; i < flagCount; ++i) {
        piece += "#-+0 "[input.range(0, 4)];
    }
    bool const plainField = input.byte() & 1;  // no width or precision: "I64" stays a prefix
    std::vector<uint64_t> fieldSlots;
    if (!plainField) {
        switch (input.range(0, 2)) {
            case 1:
                piece += std::to_string(input.range(1, 300));
                break;
            case 2:
                piece += '*';
                fieldSlots.push_back(static_cast<uint32_t>(input.range(-300, 300)));
                break;
        }
        switch (input.range(0, 3)) {
            case 1:
                piece += '.';
                break;
            case 2:
                piece += '.' + std::to_string(input.range(0, 300));
                break;
            case 3:
                piece += ".*";
                fieldSlots.push_back(static_cast<uint32_t>(input.range(-20, 300)));
                break;
        }
    }
    c.slots.insert(c.slots.end(), fieldSlots.begin(), fieldSlots.end());

    if (last && (input.byte() & 7) == 0) {
        piece += pick(input, lastOnly);
        c.format += piece;
        return;
    }
    char const conversion = *pick(input, conversions);
    std::vector<char const*> prefixes = {""};
    if (strchr("diouxX", conversion)) {
        prefixes = {"", "h", "l", "L"};
    } else if (strchr("egGf", conversion) || conversion == 's') {
        prefixes = {"", conversion == 's' ? "h" : "l"};
    }
    if (plainField && strchr("diouxXpegGf", conversion)) {
        prefixes.push_back("I64");
    }
    piece += pick(input, prefixes);
    piece += conversion;
    c.format += piece;

    switch (conversion) {
        case 'c':
            c.slots.push_back(input.byte());
            break;
        case 'C':  // a wide character for vsnprintf: ASCII converts in every locale
            c.slots.push_back(input.byte() & 0x7f);
            break;
        case 's':
            if (input.byte() % 5 == 0) {
                c.slots.push_back(0);
            } else {
                c.texts.push_back(input.bytes(40).c_str());
                c.slots.push_back(pointerSlot(c.texts.back().c_str()));
            }
            break;
        case 'S':
            if (input.byte() % 5 == 0) {
                c.slots.push_back(0);
            } else {
                std::wstring text;
                for (char ch : input.bytes(20)) {
                    text += static_cast<wchar_t>((ch & 0x7f) | 1);
                }
                c.wide.push_back(text);
                c.slots.push_back(pointerSlot(c.wide.back().c_str()));
            }
            break;
        case 'n':
            c.slots.push_back(pointerSlot(&c.sink[c.sinks++]));
            break;
        case 'e':
        case 'g':
        case 'G':
        case 'f':
            c.slots.push_back(input.byte() & 1 ? randomBits(input)
                                               : doubleSlot((input.range(0, 60000) - 30000) / 7.0));
            break;
        default:
            c.slots.push_back(randomBits(input));
            break;
    }
}

// Literal text: any byte but the terminator and "%".
void addLiteral(FuzzInput& input, Case& c) {
    for (char ch : input.bytes(10)) {
        c.format += ch == '\0' || ch == '%' ? '_' : ch;
    }
}

void decode(FuzzInput& input, Case& c) {
    int const chunks = input.range(0, 12);
    c.texts.reserve(16);  // pointers into these strings sit in the slots: no reallocation
    c.wide.reserve(16);
    for (int i = 0; i < chunks; ++i) {
        switch (input.range(0, 3)) {
            case 0:
                addLiteral(input, c);
                break;
            case 1:
                c.format += "%%";
                break;
            default:
                addConversion(input, c, i == chunks - 1);
                break;
        }
    }
    // Room for whatever a last conversion reads beyond what the estimate expects.
    c.slots.insert(c.slots.end(), 4, 0);
}

// The string's state before formatting, chosen by the input.
enum class Start { empty, text, shared, roomy, locked };

// Ways of formatting the string into itself (bits): its "s" arguments point into its text, its
// format is its own text.
int const kOwnArguments = 1;
int const kOwnFormat = 2;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    const Start start = static_cast<Start>(input.range(0, 4));
    Case c;
    decode(input, c);
    // Read after the case, so that inputs which end before it format as they always did.
    int const self = input.range(0, 3);

    CPortableString s;
    CPortableString holder;
    bool const ownFormat = (self & kOwnFormat) != 0 && start != Start::empty;
    const std::string previous = ownFormat ? c.format : "previous text";
    switch (start) {
        case Start::empty:
            break;
        case Start::text:
            s = previous.c_str();
            break;
        case Start::shared:
            s = previous.c_str();
            holder = s;
            break;
        case Start::roomy:  // an unshared block with room to spare: formatted in place
            strncpy(s.GetBuffer(400), previous.c_str(), 400);
            s.ReleaseBuffer(-1);
            break;
        case Start::locked:
            s = previous.c_str();
            s.LockBuffer();
            break;
    }
    const std::string before(s);
    CPortableStringData const* const blockBefore = s.GetData();
    int const capacityBefore = blockBefore->nCapacity;
    bool const lockedBefore = start == Start::locked && !s.IsEmpty();
    if ((self & kOwnArguments) != 0) {
        // Each "s" argument becomes the text of the string from some offset on.
        for (uint64_t& slot : c.slots) {
            for (std::string const& text : c.texts) {
                if (slot == pointerSlot(text.c_str())) {
                    slot = pointerSlot(static_cast<char const*>(s) + input.range(0, s.GetLength()));
                }
            }
        }
    }
    char const* const format =
        ownFormat && s == c.format.c_str() ? static_cast<char const*>(s) : c.format.c_str();

    // A negative precision from "*" cuts a text item to a negative length, so the estimate
    // can drop below zero; no text is kept then.
    long const estimate = referenceEstimate(c.format, c.slots.data());
    std::vector<char> expected(static_cast<size_t>(estimate > 0 ? estimate : 0) + 1, '\0');
    {
        va_list list;
        startList(list, c.slots.data());
        vsnprintf(expected.data(), expected.size(), c.format.c_str(), list);
    }

    va_list list;
    startList(list, c.slots.data());
    s.FormatV(format, list);

    FUZZ_CHECK(strcmp(expected.data(), s) == 0);
    FUZZ_CHECK(s.GetLength() == static_cast<int>(strlen(expected.data())));
    FUZZ_CHECK(s.GetData()->nCapacity >= estimate);
    // An unshared block large enough is kept, locked or not, also when the call reads from it.
    if (start != Start::shared && capacityBefore >= estimate) {
        FUZZ_CHECK(s.GetData() == blockBefore);
        FUZZ_CHECK(!lockedBefore || s.GetData()->nRefCount == -1);
    }
    if (start == Start::shared) {
        FUZZ_CHECK(holder == before.c_str());
        FUZZ_CHECK(before.empty() || holder.GetData()->nRefCount == 1);
    }
    return 0;
}
