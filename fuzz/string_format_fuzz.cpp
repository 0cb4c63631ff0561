// CPortableString::FormatV against vsnprintf: formats of literal chunks, "%%" and conversions
// (flags, width, precision, size prefix) with their arguments, into a string that may share,
// lock, or be read by its own format or "s" arguments. The text must be vsnprintf's cut to the
// length estimate (recomputed here from its rules), in the old block when it is unshared and
// large enough, else in a new one of the estimate or the old length, whichever is larger.
// Arguments come in order from 8-byte slots of a hand-made x86-64 va_list; conversions on which
// the estimate and vsnprintf read different slots come last only, before spare zero slots.
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "VelqonMFC.h"
#include "fuzz_input.h"

namespace {

// x86-64 System V va_list record, its register areas used up: everything comes from the slots.
struct SlotList {
    unsigned gpOffset, fpOffset;
    void *overflowArea, *registerArea;
};
static_assert(sizeof(SlotList) == sizeof(va_list), "x86-64 va_list layout");

void StartList(va_list list, uint64_t* slots) {
    SlotList const record = {48, 176, slots, nullptr};
    memcpy(list, &record, sizeof record);
}

// A slot's bits as another type of the same size or smaller, and back.
template <class T>
T As(uint64_t slot) {
    T value;
    memcpy(&value, &slot, sizeof value);
    return value;
}
template <class T>
uint64_t Slot(T value) {
    uint64_t slot = 0;
    memcpy(&slot, &value, sizeof value);
    return slot;
}

int ReadNumber(char const*& p) {
    int const value = atoi(p);
    p += strspn(p, "0123456789");
    return value;
}

// The length estimate: a literal character adds the length of the rest of the format, "%%" the
// rest from its second "%", a conversion its item length and 2 for each "#" flag.
long ReferenceEstimate(std::string const& format, uint64_t const* slots) {
    long total = 0;
    for (char const* p = format.c_str(); *p != '\0';) {
        if (*p != '%' || p[1] == '%') {
            total += static_cast<long>(strlen(p + (*p == '%')));
            p += *p == '%' ? 2 : 1;
            continue;
        }
        int width = 0, precision = 0;
        for (++p; *p != '\0' && strchr("#*-+0 ", *p); ++p) {
            total += *p == '#' ? 2 : 0;
            width = *p == '*' ? As<int>(*slots++) : width;
        }
        if (width == 0) {
            width = ReadNumber(p);
        }
        if (*p == '.') {
            precision = *++p == '*' ? As<int>(*slots++) : ReadNumber(p);
            p += *p == '*';
        }
        char mark = ' ';
        if (strncmp(p, "I64", 3) == 0) {
            mark = '6';
            p += 3;
        } else if (*p != '\0' && strchr("hlFLN", *p)) {
            mark = *p++;
        }
        char const conversion = *p++;
        bool const narrow = mark == ' ' || mark == 'h' || strchr("FLN", mark);
        long item = 0;
        if (strchr("cC", conversion) && mark != '6') {
            ++slots;
            item = 2;
        } else if (strchr("sS", conversion) && narrow) {
            char const* text = As<char const*>(*slots++);
            item = text == nullptr ? 6 : std::max<long>(static_cast<long>(strlen(text)), 1);
        } else if (strchr("diouxXp", conversion)) {
            ++slots;
            item = std::max(32, width + precision);
        } else if (strchr("egG", conversion)) {
            ++slots;
            item = std::max(128, width + precision);
        } else if (conversion == 'f') {
            item = snprintf(nullptr, 0, "%*.*f", width, precision + 6, As<double>(*slots++));
        } else if (conversion == 'n') {
            ++slots;
        }
        if (strchr("cCsS", conversion) && item > 0) {  // text items: cut, then widened
            item = std::max<long>(precision != 0 && item > precision ? precision : item, width);
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
    long long sink[16] = {};         // targets of "n" arguments
    int sinks = 0;
};

template <size_t Count>
char const* Pick(FuzzInput& input, char const* const (&choices)[Count]) {
    return choices[input.Range(0, static_cast<int>(Count) - 1)];
}

// Appends one conversion with its arguments; `last` allows those the estimate reads otherwise.
void AddConversion(FuzzInput& input, Case& c, bool last) {
    static char const* const kConversions[] = {"c", "C", "s", "S", "d", "i", "o", "u",
                                               "x", "X", "p", "e", "g", "G", "f", "n"};
    static char const* const kLastOnly[] = {"lld", "hhx", "llu", "E",  "a",
                                            "A",   "ls",  "y",   "lc", "I64s"};
    std::string piece = "%";
    for (int i = input.Range(0, 3); i > 0; --i) {
        piece += "#-+0 "[input.Range(0, 4)];
    }
    bool const plainField = input.Byte() & 1;  // no width or precision: "I64" stays a prefix
    int const width = plainField ? 0 : input.Range(0, 2);
    int const precision = plainField ? 0 : input.Range(0, 3);
    if (width == 1) {
        piece += std::to_string(input.Range(1, 300));
    } else if (width == 2) {
        piece += '*';
        c.slots.push_back(static_cast<uint32_t>(input.Range(-300, 300)));
    }
    if (precision == 1 || precision == 2) {
        piece += precision == 1 ? "." : "." + std::to_string(input.Range(0, 300));
    } else if (precision == 3) {
        piece += ".*";
        c.slots.push_back(static_cast<uint32_t>(input.Range(-20, 300)));
    }
    if (last && (input.Byte() & 7) == 0) {
        c.format += piece + Pick(input, kLastOnly);
        return;
    }
    char const conversion = *Pick(input, kConversions);
    char const* const integer[] = {"", "h", "l", "L", "I64"};
    char const* const real[] = {"", "l", "I64"};
    char const* const text[] = {"", "h"};
    int const plain = plainField ? 0 : 1;  // the choices past "I64" are left out
    char const* prefix = "";
    if (strchr("diouxX", conversion)) {
        prefix = integer[input.Range(0, 4 - plain)];
    } else if (strchr("egGf", conversion)) {
        prefix = real[input.Range(0, 2 - plain)];
    } else if (conversion == 's') {
        prefix = Pick(input, text);
    } else if (conversion == 'p' && !plain) {
        prefix = input.Byte() & 1 ? "I64" : "";
    }
    c.format += piece + prefix + conversion;
    if (strchr("cC", conversion)) {  // a wide character for "C": ASCII converts in every locale
        c.slots.push_back(input.Byte() & (conversion == 'C' ? 0x7f : 0xff));
    } else if (strchr("sS", conversion) && (conversion == 'S' || input.Byte() % 5 == 0)) {
        c.slots.push_back(0);
    } else if (conversion == 's') {
        c.texts.push_back(input.Bytes(40).c_str());
        c.slots.push_back(Slot(c.texts.back().c_str()));
    } else if (conversion == 'n') {
        c.slots.push_back(Slot(&c.sink[c.sinks++]));
    } else if (strchr("egGf", conversion) && (input.Byte() & 1)) {
        c.slots.push_back(Slot((input.Range(0, 60000) - 30000) / 7.0));
    } else {
        c.slots.push_back(input.Word());
    }
}

void Decode(FuzzInput& input, Case& c) {
    int const chunks = input.Range(0, 12);
    c.texts.reserve(16);  // pointers into these strings sit in the slots: no reallocation
    for (int i = 0; i < chunks; ++i) {
        int const kind = input.Range(0, 3);
        if (kind == 0) {  // literal text: any byte but the terminator and "%"
            for (char ch : input.Bytes(10)) {
                c.format += ch == '\0' || ch == '%' ? '_' : ch;
            }
        } else if (kind == 1) {
            c.format += "%%";
        } else {
            AddConversion(input, c, i == chunks - 1);
        }
    }
    // Room for whatever a last conversion reads beyond what the estimate expects.
    c.slots.insert(c.slots.end(), 4, 0);
}

// The string's state before formatting, chosen by the input.
enum Start { kEmpty, kText, kShared, kRoomy, kLocked };

// One case: a string in a chosen state, formatted, checked.
void FormatOnce(FuzzInput& input) {
    int const start = input.Range(0, 4);
    Case c;
    Decode(input, c);
    // Read after the case: bit 0, the "s" arguments point into the string; bit 1, the format
    // is the string's own text.
    int const self = input.Range(0, 3);

    CPortableString s, holder;
    bool const ownFormat = (self & 2) != 0 && start != kEmpty;
    std::string const previous = ownFormat ? c.format : "previous text";
    if (start == kRoomy) {  // an unshared block with room to spare: formatted in place
        strncpy(s.GetBuffer(400), previous.c_str(), 400);
        s.ReleaseBuffer(-1);
    } else if (start != kEmpty) {
        s = previous.c_str();
        if (start == kShared) {
            holder = s;
        }
        if (start == kLocked) {
            s.LockBuffer();
        }
    }
    std::string const before(s);
    CPortableStringData const* const blockBefore = s.GetData();
    int const capacityBefore = blockBefore->nCapacity;
    if ((self & 1) != 0) {  // each "s" argument becomes the text of the string from some offset
        for (uint64_t& slot : c.slots) {
            for (std::string const& text : c.texts) {
                slot = slot == Slot(text.c_str())
                           ? Slot(s.GetString() + input.Range(0, s.GetLength()))
                           : slot;
            }
        }
    }
    char const* const format =
        ownFormat && s == c.format.c_str() ? s.GetString() : c.format.c_str();

    // A negative precision from "*" cuts a text item to a negative length, so the estimate
    // can drop below zero; no text is kept then.
    long const estimate = ReferenceEstimate(c.format, c.slots.data());
    std::vector<char> expected(static_cast<size_t>(std::max(estimate, 0L)) + 1, '\0');
    va_list list;
    StartList(list, c.slots.data());
    vsnprintf(expected.data(), expected.size(), c.format.c_str(), list);
    StartList(list, c.slots.data());
    s.FormatV(format, list);

    FUZZ_CHECK(strcmp(expected.data(), s) == 0 &&
               s.GetLength() == static_cast<int>(strlen(expected.data())));
    // An unshared block large enough is kept, locked or not, also when the call reads from it.
    bool const kept = (start != kShared || before.empty()) && capacityBefore >= estimate;
    long const capacity =
        kept ? capacityBefore : std::max(estimate, static_cast<long>(before.size()));
    FUZZ_CHECK(s.GetData()->nCapacity == capacity && (s.GetData() == blockBefore) == kept);
    FUZZ_CHECK(!kept || start != kLocked || s.GetData()->nRefCount == -1);
    // The other holder keeps the old text, alone now.
    FUZZ_CHECK(start != kShared ||
               (holder == before.c_str() && (before.empty() || holder.GetData()->nRefCount == 1)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    do {  // cases one after another
        FormatOnce(input);
    } while (!input.Empty());
    return 0;
}
