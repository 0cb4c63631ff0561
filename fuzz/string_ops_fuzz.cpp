// Sequences of CPortableString operations on four strings, each checked against a std::string
// model after every step. Besides the text, every step checks the block bookkeeping: lengths
// within capacities, a terminator behind the text, reference counts equal to the number of
// strings that hold each block (exactly one holder for a locked block), and a sentinel that is
// never written. Copy on write, sharing through assignment and self-referencing arguments
// (s += s, s = static_cast<char const*>(s) + 2, s.Insert(0, s), s.Replace(s, "x"),
// s.TrimLeft(s)) all come up in these sequences, and every int argument (positions, counts,
// starts) ranges over INT_MIN and INT_MAX as well as the values around the length.
#include <ctype.h>
#include <limits.h>
#include <string.h>

#include <algorithm>
#include <map>

#include "VelqonMFC.h"
#include "fuzz_input.h"

namespace {

int const kStrings = 4;
// Growth stops here: a string appended to itself doubles at every step, and replacing by a
// longer text multiplies its length.
const size_t kLongest = 4096;

// The C-string view of a model: the text up to its first zero byte.
std::string cView(std::string const& text) {
    return std::string(text.c_str());
}

bool isCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

CPortableStringData const* sentinel() {
    return reinterpret_cast<CPortableStringData const*>(_portablePchNil) - 1;
}

class Run {
public:
    explicit Run(FuzzInput& input) : in_(input) {}

    void step();
    void check() const;

private:
    // Text without zero bytes, for the C-string arguments.
    std::string text(int limit = 12) {
        std::string bytes = in_.bytes(limit);
        bytes.erase(std::remove(bytes.begin(), bytes.end(), '\0'), bytes.end());
        return bytes;
    }
    char anyChar() { return static_cast<char>(in_.byte()); }
    char nonZeroChar() { return static_cast<char>(in_.range(1, 255)); }
    int index() { return in_.range(0, kStrings - 1); }
    // A position or count around the length, negative values included, or one of the extremes
    // of int (whose sums with the length overflow).
    int around(int length) {
        int const value = in_.range(-5, length + 5);
        switch (value - length) {
            case 4:
                return INT_MAX - 1;
            case 5:
                return INT_MAX;
            default:
                return value == -5 ? INT_MIN : value == -4 ? INT_MIN + 1 : value;
        }
    }
    // A C-string argument: text from the input or, now and then, the C string that starts at
    // some offset of one of the strings (the one being changed included). `value` receives what
    // the call must read: the text as it was before the call.
    char const* textArg(std::string& value, int limit) {
        if (in_.byte() % 4 != 0) {
            value = text(limit);
            return value.c_str();
        }
        int const u = index();
        const std::string view = cView(m_[u]);
        int const offset = in_.range(0, static_cast<int>(view.size()));
        value = view.substr(static_cast<size_t>(offset));
        return static_cast<char const*>(s_[u]) + offset;
    }

    void extract(int target, int source);
    void search(int target);
    void trim(int target);
    void replace(int target);
    void edit(int target);
    void buffer(int target);

    FuzzInput& in_;
    CPortableString s_[kStrings];
    std::string m_[kStrings];
};

void Run::step() {
    int const t = index();
    int const u = index();
    CPortableString& s = s_[t];
    std::string& m = m_[t];
    switch (in_.range(0, 15)) {
        case 0: {
            int const how = in_.range(0, 2);
            if (how == 0) {
                std::string value;
                char const* const arg = textArg(value, 12);
                s = arg;
                m = value;
            } else if (how == 1) {  // exactly `length` bytes, zero bytes included
                const std::string bytes = in_.bytes(12);
                s = CPortableString(bytes.data(), static_cast<int>(bytes.size()));
                m = bytes;
            } else {  // a repeat count <= 0 gives the empty string
                char const c = anyChar();
                int const count = in_.range(-2, 20);
                s = CPortableString(c, count);
                m = std::string(static_cast<size_t>(std::max(count, 0)), c);
            }
            break;
        }
        case 1:  // shares, or copies by length when either side is locked
            s = s_[u];
            m = m_[u];
            break;
        case 2: {
            std::string value;
            char const* const arg = textArg(value, 12);
            s += arg;
            m += value;
            break;
        }
        case 3:  // u may be t: appending a string to itself
            if (m.size() + m_[u].size() > kLongest) {
                break;
            }
            s += s_[u];
            m += std::string(m_[u]);
            break;
        case 4: {
            char const c = anyChar();
            if (in_.byte() & 1) {
                s += c;
                m += c;
            } else {
                s = c;
                m = std::string(1, c);
            }
            break;
        }
        case 5: {
            int const v = index();
            std::string value;
            char const* const arg = textArg(value, 12);
            char const c = anyChar();
            if (m_[u].size() + m_[v].size() > kLongest) {
                break;
            }
            switch (in_.range(0, 4)) {
                case 0:
                    s = s_[u] + s_[v];
                    m = m_[u] + m_[v];
                    break;
                case 1:
                    s = s_[u] + arg;
                    m = m_[u] + value;
                    break;
                case 2:
                    s = arg + s_[u];
                    m = value + m_[u];
                    break;
                case 3:
                    s = s_[u] + c;
                    m = m_[u] + c;
                    break;
                default:
                    s = c + s_[u];
                    m = c + m_[u];
                    break;
            }
            break;
        }
        case 6:
            extract(t, u);
            break;
        case 7:
            search(t);
            break;
        case 8:
            trim(t);
            break;
        case 9:
            replace(t);
            break;
        case 10:
            edit(t);
            break;
        case 11:
            buffer(t);
            break;
        case 12:
            s.FreeExtra();
            break;
        case 13:
            s.Empty();
            m.clear();
            break;
        case 14: {  // a copy shares the block, unless it is locked: then it is cut at a zero
            bool const locked = s.GetData()->nRefCount < 0 && s.GetData() != sentinel();
            const CPortableString copy(s);
            FUZZ_CHECK(locked ? copy.GetLength() == static_cast<int>(cView(m).size())
                              : copy.GetData() == s.GetData());
            FUZZ_CHECK(strcmp(copy, cView(m).c_str()) == 0);
            break;
        }
        default: {
            const std::string value = text();
            FUZZ_CHECK(sign(s.Compare(value.c_str())) ==
                       sign(strcmp(cView(m).c_str(), value.c_str())));
            FUZZ_CHECK((s == value.c_str()) == (cView(m) == value));
            break;
        }
    }
}

void Run::extract(int target, int source) {
    const std::string m = m_[source];
    int const length = static_cast<int>(m.size());
    CPortableString const& s = s_[source];
    CPortableString result;
    std::string expected;
    bool whole = false;
    switch (in_.range(0, 5)) {
        case 0: {
            int const count = around(length);
            result = s.Left(count);
            whole = count >= length;
            expected = m.substr(0, static_cast<size_t>(std::max(0, std::min(count, length))));
            break;
        }
        case 1: {
            int const count = around(length);
            result = s.Right(count);
            whole = count >= length;
            int const kept = std::max(0, std::min(count, length));
            expected = m.substr(static_cast<size_t>(length - kept));
            break;
        }
        case 2:
        case 3: {
            // The model clamps in 64 bits: as unbounded integers would.
            long first = around(length);
            long count = length - first;  // Mid(first) counts from the unclamped first index
            if (in_.byte() & 1) {
                count = around(length);
                result = s.Mid(static_cast<int>(first), static_cast<int>(count));
            } else {
                result = s.Mid(static_cast<int>(first));
            }
            first = std::max(first, 0L);
            count = std::max(count, 0L);
            if (first + count > length) {
                count = length - first;
            }
            if (first > length) {
                count = 0;
            }
            whole = first == 0 && count == length;
            expected = count > 0 ? m.substr(static_cast<size_t>(first), static_cast<size_t>(count))
                                 : std::string();
            break;
        }
        case 4: {
            std::string set;
            result = s.SpanIncluding(textArg(set, 4));
            const size_t span = strspn(m.c_str(), set.c_str());
            whole = static_cast<int>(span) >= length;
            expected = m.substr(0, span);
            break;
        }
        default: {
            std::string set;
            result = s.SpanExcluding(textArg(set, 4));
            const size_t span = strcspn(m.c_str(), set.c_str());
            whole = static_cast<int>(span) >= length;
            expected = m.substr(0, span);
            break;
        }
    }
    // A whole-string result is a copy: it shares the source's block, unless that is locked;
    // then it copies the text up to its first zero byte.
    if (whole && s.GetData()->nRefCount > 0) {
        FUZZ_CHECK(result.GetData() == s.GetData());
    }
    if (whole && s.GetData()->nRefCount < 0) {
        expected = cView(m);
    }
    FUZZ_CHECK(result.GetLength() == static_cast<int>(expected.size()));
    FUZZ_CHECK(memcmp(result, expected.data(), expected.size()) == 0);
    s_[target] = result;
    m_[target] = expected;
}

void Run::search(int target) {
    CPortableString const& s = s_[target];
    std::string const& m = m_[target];
    int const length = static_cast<int>(m.size());
    const std::string view = cView(m);
    switch (in_.range(0, 3)) {
        case 0: {
            // A negative start is taken as 0.
            int const start = around(length);
            int const from = std::max(start, 0);
            char const c = anyChar();
            int expected = -1;
            if (from < length) {
                char const* hit = strchr(m.c_str() + from, c);
                expected = hit == nullptr ? -1 : static_cast<int>(hit - m.c_str());
            }
            FUZZ_CHECK(s.Find(c, start) == expected);
            break;
        }
        case 1: {
            int const start = around(length);
            int const from = std::max(start, 0);
            std::string needle;
            char const* const arg = textArg(needle, 3);
            int expected = -1;
            if (from <= length) {
                const std::string tail = cView(m.substr(static_cast<size_t>(from)));
                const size_t hit = tail.find(needle);
                expected = hit == std::string::npos ? -1 : from + static_cast<int>(hit);
            }
            FUZZ_CHECK(s.Find(arg, start) == expected);
            break;
        }
        case 2: {
            char const c = anyChar();
            const size_t hit = c == '\0' ? view.size() : view.rfind(c);
            FUZZ_CHECK(s.ReverseFind(c) == (hit == std::string::npos ? -1 : static_cast<int>(hit)));
            break;
        }
        default: {
            std::string set;
            char const* const arg = textArg(set, 4);
            const size_t hit = set.empty() ? std::string::npos : view.find_first_of(set);
            FUZZ_CHECK(s.FindOneOf(arg) == (hit == std::string::npos ? -1 : static_cast<int>(hit)));
            break;
        }
    }
}

void Run::trim(int target) {
    CPortableString& s = s_[target];
    std::string& m = m_[target];
    int const kind = in_.range(0, 5);
    char const c = nonZeroChar();
    std::string set;
    char const* const setArg = textArg(set, 3);
    auto const inRun = [&](char x) {
        switch (kind % 3) {
            case 0:
                return isCSpace(x);
            case 1:
                return x == c;
            default:
                return x != '\0' && set.find(x) != std::string::npos;
        }
    };
    if (kind < 3) {
        size_t run = 0;
        while (run < m.size() && inRun(m[run])) {
            ++run;
        }
        // Whether a zero byte inside the text counts as a member of the set is left open; such
        // runs are not tried.
        if (kind == 2 && run < m.size() && m[run] == '\0') {
            return;
        }
        // TrimLeft(char) only acts when the first character is the one given.
        if (kind == 0) {
            s.TrimLeft();
        } else if (kind == 1) {
            s.TrimLeft(c);
        } else {
            s.TrimLeft(setArg);
        }
        m.erase(0, run);
        return;
    }
    // Trimming from the right looks at the text up to its first zero byte only; a run that
    // reaches that zero cuts the text there.
    const std::string view = cView(m);
    size_t keep = view.size();
    while (keep > 0 && inRun(view[keep - 1])) {
        --keep;
    }
    if (kind == 3) {
        s.TrimRight();
    } else if (kind == 4) {
        s.TrimRight(c);
    } else {
        s.TrimRight(setArg);
    }
    if (keep < view.size()) {
        m.erase(keep);
    }
}

void Run::replace(int target) {
    CPortableString& s = s_[target];
    std::string& m = m_[target];
    switch (in_.range(0, 2)) {
        case 0: {
            char const c = anyChar();
            int const removed = static_cast<int>(std::count(m.begin(), m.end(), c));
            FUZZ_CHECK(s.Remove(c) == removed);
            m.erase(std::remove(m.begin(), m.end(), c), m.end());
            break;
        }
        case 1: {
            char const from = anyChar();
            char const to = anyChar();
            int const count =
                from == to ? 0 : static_cast<int>(std::count(m.begin(), m.end(), from));
            FUZZ_CHECK(s.Replace(from, to) == count);
            std::replace(m.begin(), m.end(), from, to);
            break;
        }
        default: {
            // Every zero-separated segment is searched (the library's choice where the text
            // grows in place); a needle holds no zero byte, so that is a search of the whole text.
            std::string from;
            std::string to;
            char const* const fromArg = textArg(from, 3);
            char const* const toArg = textArg(to, 4);
            bool const nullTo = in_.byte() % 4 == 0;
            const std::string by = nullTo ? std::string() : to;
            std::string expected;
            int count = 0;
            size_t at = 0;
            if (!from.empty()) {
                for (size_t hit; (hit = m.find(from, at)) != std::string::npos; ++count) {
                    expected += m.substr(at, hit - at) + by;
                    at = hit + from.size();
                }
            }
            expected += m.substr(at);
            if (expected.size() > kLongest) {  // replacing by longer text multiplies the length
                return;
            }
            FUZZ_CHECK(s.Replace(fromArg, nullTo ? nullptr : toArg) == count);
            m = expected;
            break;
        }
    }
}

void Run::edit(int target) {
    CPortableString& s = s_[target];
    std::string& m = m_[target];
    int const length = static_cast<int>(m.size());
    switch (in_.range(0, 6)) {
        case 0: {  // a negative index is taken as 0, a range past the end is cut there
            int const index = around(length);
            int const count = around(length);
            FUZZ_CHECK(s.Delete(index, count) == length);
            long const from = std::max(index, 0);
            long const cut = std::min(static_cast<long>(count), length - from);
            if (cut > 0) {
                m.erase(static_cast<size_t>(from), static_cast<size_t>(cut));
            }
            break;
        }
        case 1: {
            int const index = around(length);
            char const c = anyChar();
            m.insert(m.begin() + std::min(std::max(index, 0), length), c);
            FUZZ_CHECK(s.Insert(index, c) == static_cast<int>(m.size()));
            break;
        }
        case 2: {
            int const index = around(length);
            std::string value;
            char const* const arg = textArg(value, 5);
            if (!value.empty()) {
                m.insert(static_cast<size_t>(std::min(std::max(index, 0), length)), value);
            }
            FUZZ_CHECK(s.Insert(index, arg) == static_cast<int>(m.size()));
            break;
        }
        case 3: {  // an index outside the text is ignored
            int const index = around(length);
            char const c = anyChar();
            s.SetAt(index, c);
            if (index >= 0 && index < length) {
                m[static_cast<size_t>(index)] = c;
            }
            break;
        }
        case 4:
            s.MakeReverse();
            std::reverse(m.begin(), m.end());
            break;
        default: {
            bool const toLower = in_.byte() & 1;
            if (toLower) {
                s.MakeLower();
            } else {
                s.MakeUpper();
            }
            for (char& c : m) {
                if (c == '\0') {
                    break;
                }
                c = toLower ? lower(c) : upper(c);
            }
            break;
        }
    }
}

void Run::buffer(int target) {
    CPortableString& s = s_[target];
    std::string& m = m_[target];
    int const length = static_cast<int>(m.size());
    switch (in_.range(0, 3)) {
        case 0: {  // write into a GetBuffer buffer, then set the length
            int const minimum = in_.range(0, 40);
            char* p = s.GetBuffer(minimum);
            int const room = std::max(minimum, length);
            FUZZ_CHECK(s.GetData()->nCapacity >= room);
            FUZZ_CHECK(memcmp(p, m.c_str(), m.size() + 1) == 0);
            std::string written = in_.bytes(room);
            std::string known = m + '\0';
            known.replace(0, std::min(written.size(), known.size()), written);
            memcpy(p, written.data(), written.size());
            if (in_.byte() & 1) {
                // -1 measures up to the first zero byte; make sure the known part holds one.
                if (known.find('\0') == std::string::npos) {
                    known.back() = '\0';
                    p[known.size() - 1] = '\0';
                }
                s.ReleaseBuffer(-1);
                m = cView(known);
            } else {
                int const newLength = in_.range(0, static_cast<int>(known.size()) - 1);
                s.ReleaseBuffer(newLength);
                m = known.substr(0, static_cast<size_t>(newLength));
            }
            break;
        }
        case 1: {
            int const newLength = in_.range(0, length + 20);
            char* p = s.GetBufferSetLength(newLength);
            if (newLength > length) {
                memset(p + length, 'x', static_cast<size_t>(newLength - length));
            }
            m.resize(static_cast<size_t>(newLength), 'x');
            break;
        }
        case 2:
            s.LockBuffer();
            break;
        default:
            if (s.GetData()->nRefCount == -1 && s.GetData() != sentinel()) {
                s.UnlockBuffer();
            }
            break;
    }
}

void Run::check() const {
    CPortableStringData const* nil = sentinel();
    FUZZ_CHECK(nil->nRefCount == -1 && nil->nLength == 0 && nil->nCapacity == 0);
    FUZZ_CHECK(*_portablePchNil == '\0');
    std::map<CPortableStringData const*, long> holders;
    for (int i = 0; i < kStrings; ++i) {
        CPortableString const& s = s_[i];
        CPortableStringData const* data = s.GetData();
        FUZZ_CHECK(s.GetLength() == static_cast<int>(m_[i].size()));
        FUZZ_CHECK(memcmp(s, m_[i].data(), m_[i].size()) == 0);
        FUZZ_CHECK(static_cast<char const*>(s)[s.GetLength()] == '\0');
        FUZZ_CHECK(data->nLength <= data->nCapacity);
        if (data != nil) {
            ++holders[data];
        }
    }
    for (auto const& block : holders) {
        long const count = block.first->nRefCount;
        FUZZ_CHECK(count == -1 ? block.second == 1 : count == block.second);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    Run run(input);
    for (int steps = 0; steps < 64 && !input.empty(); ++steps) {
        run.step();
        run.check();
    }
    return 0;
}
