// CPortableString operations on four strings, checked after every step against a model of each:
// text, block (an id shared by the strings sharing it; 0: the sentinel), exact capacity, lock.
// Arguments may point into the strings themselves, ints reach INT_MIN and INT_MAX, and the
// protected building blocks run as alternatives of the public members they stand for.
#include <ctype.h>
#include <limits.h>
#include <string.h>
#include <strings.h>

#include <algorithm>
#include <set>

#include "VelqonMFC.h"
#include "fuzz_input.h"

namespace {

int const kStrings = 4;
// Growth stops here: a string appended to itself doubles at every step.
size_t const kLongest = 4096;

// The protected building blocks, reachable.
struct Probe : CPortableString {
    using CPortableString::operator=;
    using CPortableString::AllocBeforeWrite;
    using CPortableString::AllocCopy;
    using CPortableString::AssignCopy;
    using CPortableString::ConcatCopy;
    using CPortableString::ConcatInPlace;
    using CPortableString::FreeData;
    using CPortableString::Init;
    using CPortableString::Release;
};

struct Model {
    std::string text;
    int block, capacity;
};

std::string CView(std::string const& text) {
    return text.c_str();
}

int Sign(long value) {
    return (value > 0) - (value < 0);
}

int Size(std::string const& text) {
    return static_cast<int>(text.size());
}

std::string Text(CPortableString const& s) {
    return std::string(s, static_cast<size_t>(s.GetLength()));
}

// Every comparison operator agrees with the sign of the texts' order.
template <class Left, class Right>
void CheckOrder(Left const& left, Right const& right, int sign) {
    FUZZ_CHECK((left == right) == (sign == 0) && (left != right) == (sign != 0));
    FUZZ_CHECK((left < right) == (sign < 0) && (left > right) == (sign > 0));
    FUZZ_CHECK((left <= right) == (sign <= 0) && (left >= right) == (sign >= 0));
}

class Run {
public:
    explicit Run(FuzzInput& input) : m_in(input) {}
    void Step();
    void Check() const;

private:
    int Index() { return m_in.Range(0, kStrings - 1); }
    char AnyChar() { return static_cast<char>(m_in.Byte()); }
    // A position or count around the length, or one of the extremes of int.
    int Around(int length) {
        int const value = m_in.Range(-5, length + 5);
        int const extremes[] = {INT_MIN, INT_MIN + 1, INT_MAX - 1, INT_MAX};
        return value < -3           ? extremes[value + 5]
               : value > length + 3 ? extremes[value - length - 2]
                                    : value;
    }
    // A C-string argument: input text without zero bytes, the text of one of the strings from
    // some offset, or (if `nullable`) null. `value`: what the call must read ("" for null).
    char const* TextArg(std::string& value, int limit, bool nullable = false) {
        int const kind = m_in.Byte() % 8;
        if (kind == 0 && nullable) {
            value.clear();
            return nullptr;
        }
        if (kind <= 1) {
            int const u = Index();
            std::string const view = CView(m_m[u].text);
            int const offset = m_in.Range(0, Size(view));
            value = view.substr(static_cast<size_t>(offset));
            return m_s[u].GetString() + offset;
        }
        value = m_in.Bytes(limit);
        value.erase(std::remove(value.begin(), value.end(), '\0'), value.end());
        return value.c_str();
    }

    // The model's block rules.
    int Holders(int block) const {
        return static_cast<int>(std::count_if(
            m_m, m_m + kStrings, [block](Model const& m) { return m.block == block; }));
    }
    bool Shared(int t) const { return m_m[t].block != 0 && Holders(m_m[t].block) > 1; }
    bool Locked(int block) const { return m_locked.count(block) != 0; }
    Model Fresh(std::string const& text) {
        return {text, text.empty() ? 0 : m_nextBlock++, Size(text)};
    }
    void NewBlock(int t, int capacity) {
        m_m[t].block = capacity == 0 ? 0 : m_nextBlock++;
        m_m[t].capacity = capacity;
    }
    void CopyBeforeWrite(int t) {
        if (Shared(t)) {
            NewBlock(t, Size(m_m[t].text));
        }
    }
    void GetBuffer(int t, int minimum) {
        if (Shared(t) || m_m[t].capacity < minimum) {
            NewBlock(t, std::max(minimum, Size(m_m[t].text)));
        }
    }
    // Writes `text` over the string or inserts it `at`: the block is kept when unshared and large
    // enough, else replaced by one of exactly the new length.
    void Write(int t, std::string const& text, int at = -1) {
        Model& m = m_m[t];
        std::string const result =
            at < 0 ? text : std::string(m.text).insert(static_cast<size_t>(at), text);
        if ((at < 0 || !text.empty()) && (Shared(t) || Size(result) > m.capacity)) {
            NewBlock(t, Size(result));
        }
        m.text = result;
    }
    // The copy constructor shares an unlocked block, copies a locked one up to its first zero.
    Model CopyOf(int u) {
        Model const& m = m_m[u];
        return m.block != 0 && !Locked(m.block) ? m : Fresh(CView(m.text));
    }
    // operator=: nothing between holders of one block; a copy by length when either side is
    // locked (a sentinel source counts as locked); else shared.
    void Assign(int t, Model const& source) {
        if (source.block != m_m[t].block) {
            if (Locked(m_m[t].block) || source.block == 0 || Locked(source.block)) {
                Write(t, source.text);
            } else {
                m_m[t] = source;
            }
        }
    }

    void Build(int t, int u);
    void Extract(int t, int u);
    void Search(int t, int u);
    void Trim(int t, int);
    void Edit(int t, int);
    void Buffer(int t, int);

    FuzzInput& m_in;
    Probe m_s[kStrings];
    Model m_m[kStrings] = {{"", 0, 0}, {"", 0, 0}, {"", 0, 0}, {"", 0, 0}};
    std::set<int> m_locked;
    int m_nextBlock = 1;
};

void Run::Step() {
    static void (Run::*const kSteps[])(int, int) = {&Run::Build, &Run::Extract, &Run::Search,
                                                    &Run::Trim,  &Run::Edit,    &Run::Buffer};
    int const t = Index();
    (this->*kSteps[m_in.Range(0, 5)])(t, Index());
}

// Construction, assignment and concatenation.
void Run::Build(int t, int u) {
    Probe& s = m_s[t];
    std::string value;
    char const* const arg = TextArg(value, 12, true);
    char const c = AnyChar();
    int const how = m_in.Range(0, 5);
    int const count = m_in.Range(-2, 20);
    std::string const bytes = how == 1 && (count & 1) ? m_in.Bytes(12) : std::string();
    std::string const mine = m_m[t].text;
    Model const source = m_m[u];
    if (how >= 4 && mine.size() + source.text.size() > kLongest) {
        return;
    }
    if (how == 0) {  // s = text, through operator= or its building blocks
        value = count % 4 == 3 ? std::string(1, c) : value;
        if (count % 4 == 0) {
            s = arg;
        } else if (count % 4 == 1) {
            s.AssignCopy(Probe::SafeStrlen(arg), arg);
        } else if (count % 4 == 3) {
            s = c;
        } else {  // AllocBeforeWrite leaves the writing of the text to its caller
            s.AllocBeforeWrite(Size(value));
            if (s.GetData()->nCapacity > 0) {
                memcpy(s.GetBuffer(0), value.c_str(), value.size() + 1);
                s.GetData()->nLength = Size(value);
            }
        }
        Write(t, value);
    } else if (how == 1) {  // exactly `length` bytes, zero bytes included; a count <= 0: empty
        s = count & 1 ? CPortableString(bytes.data(), Size(bytes)) : CPortableString(c, count);
        Assign(t,
               Fresh(count & 1 ? bytes : std::string(static_cast<size_t>(std::max(count, 0)), c)));
    } else if (how == 2) {
        s = m_s[u];
        Assign(t, source);
    } else if (how == 3) {
        s = CPortableString(m_s[u]);
        Assign(t, CopyOf(u));
    } else if (how == 4) {  // appends, u may be t
        int const form = (count + 2) % 5;
        if (form == 0) {
            s += arg;
        } else if (form == 1) {
            s.ConcatInPlace(Probe::SafeStrlen(arg), arg);
        } else if (form == 2) {
            s += m_s[u];
        } else {
            form == 3 ? static_cast<void>(s += c) : s.AppendChar(c);
        }
        Write(t, form < 2 ? value : form == 2 ? source.text : std::string(1, c), Size(mine));
    } else {  // the five forms of operator+ and their building block
        int const form = (count + 2) % 6;
        Probe sum;
        sum.ConcatCopy(Size(source.text), m_s[u], Size(mine), s);
        s = form == 5   ? sum
            : form == 0 ? m_s[u] + s
            : form == 1 ? s + arg
            : form == 2 ? arg + s
            : form == 3 ? c + s
                        : s + c;
        std::string const sums[] = {source.text + mine, mine + value, value + mine,
                                    c + mine,           mine + c,     source.text + mine};
        Assign(t, Fresh(sums[form]));
    }
}

void Run::Extract(int t, int u) {
    Probe const& s = m_s[u];
    std::string const m = m_m[u].text;
    int const length = Size(m);
    long first = Around(length);
    long count = Around(length);
    CPortableString result;
    std::string set;
    int const how = m_in.Range(0, 5);
    if (how == 0) {
        result = s.Left(static_cast<int>(count));
        first = 0;
    } else if (how == 1) {
        result = s.Right(static_cast<int>(count));
        first = length - std::min(std::max(count, 0L), static_cast<long>(length));
    } else if (how == 2) {
        result = s.Mid(static_cast<int>(first), static_cast<int>(count));
    } else if (how == 3) {  // counts from the unclamped first index
        result = s.Mid(static_cast<int>(first));
        count = length - first;
    } else {
        char const* const arg = TextArg(set, 4);
        first = 0;
        count = static_cast<long>(how == 4 ? strspn(m.c_str(), set.c_str())
                                           : strcspn(m.c_str(), set.c_str()));
        result = how == 4 ? s.SpanIncluding(arg) : s.SpanExcluding(arg);
    }
    // Clamped as unbounded integers would be: negatives to 0, the count cut at the end, a first
    // index past the end leaves nothing.
    first = std::max(first, 0L);
    count = first > length ? 0 : std::min(std::max(count, 0L), length - first);
    Model part = first == 0 && count == length ? CopyOf(u) : Model{"", 0, 0};
    if (count > 0 && count < length) {  // a part, in an exact block of its own
        part = Fresh(m.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
        if (m_in.Byte() & 1) {
            Probe piece;
            s.AllocCopy(piece, static_cast<int>(count), static_cast<int>(first), 0);
            result = piece;
        }
    }
    FUZZ_CHECK(Text(result) == part.text);
    m_s[t] = result;
    Assign(t, part);
}

// Searches and comparisons change nothing; their results are checked here.
void Run::Search(int t, int u) {
    CPortableString const& s = m_s[t];
    std::string const& m = m_m[t].text;
    std::string const view = CView(m);
    int const length = Size(m);
    int const start = Around(length);
    int const from = std::max(start, 0);
    std::string value;
    char const* const arg = TextArg(value, 3);
    char const c = AnyChar();
    auto const index = [](size_t hit) {
        return hit == std::string::npos ? -1 : static_cast<int>(hit);
    };
    // The character search gives -1 from the length on, the substring search from past it; a
    // zero character finds the first zero byte.
    char const* hit = from < length ? strchr(m.c_str() + from, c) : nullptr;
    FUZZ_CHECK(s.Find(c, start) == (hit == nullptr ? -1 : hit - m.c_str()));
    size_t const found = from > length ? std::string::npos : CView(m.substr(from)).find(value);
    FUZZ_CHECK(s.Find(arg, start) ==
               (found == std::string::npos ? -1 : from + static_cast<int>(found)));
    FUZZ_CHECK(s.Find(arg) == index(view.find(value)) &&
               s.Find(c) == (length == 0 ? -1 : index(c == '\0' ? view.size() : view.find(c))));
    FUZZ_CHECK(s.ReverseFind(c) == index(c == '\0' ? view.size() : view.rfind(c)));
    FUZZ_CHECK(s.FindOneOf(arg) ==
               index(value.empty() ? std::string::npos : view.find_first_of(value)));
    // The text decides, never the blocks: `other` holds the same text as string u elsewhere.
    CPortableString const other(m_m[u].text.c_str());
    int const sign = Sign(strcmp(view.c_str(), other));
    CheckOrder(s, m_s[u], sign), CheckOrder(s, other, sign);
    CheckOrder(s, other.GetString(), sign), CheckOrder(other.GetString(), s, -sign);
    FUZZ_CHECK(Sign(s.Compare(other)) == sign &&
               Sign(s.CompareNoCase(arg)) == Sign(strcasecmp(view.c_str(), arg)));
    // Tokenize skips delimiters (never a zero byte) from `start`, then takes the text up to the
    // next one, extracted as Mid would; `start` moves past it, to -1 when no token is left.
    int next = start;
    CPortableString const token = s.Tokenize(arg, next);
    size_t const first = start < 0 ? std::string::npos : m.find_first_not_of(value, from);
    size_t const end = std::min(m.find_first_of(value, first), m.size());
    Model const part = first == 0 && end == m.size() ? CopyOf(t)
                       : first < end                 ? Fresh(m.substr(first, end - first))
                                                     : Model{"", 0, 0};
    FUZZ_CHECK(next == (first < end ? static_cast<int>(end) + 1 : -1) && Text(token) == part.text);
    FUZZ_CHECK(token.GetData()->nCapacity == part.capacity &&
               (token.GetData() == s.GetData()) == (part.block == m_m[t].block));
    FUZZ_CHECK(s.GetString() == static_cast<char const*>(s) && s.IsEmpty() == (length == 0));
    FUZZ_CHECK(from >= length || (s.GetAt(from) == m[from] && s[from] == m[from]));
}

void Run::Trim(int t, int) {
    CPortableString& s = m_s[t];
    std::string& m = m_m[t].text;
    int const kind = m_in.Range(0, 8);
    char const c = static_cast<char>(m_in.Range(1, 255));
    std::string set;
    char const* const setArg = TextArg(set, 3, true);
    std::string const members = kind % 3 == 0   ? " \t\n\v\f\r"
                                : kind % 3 == 1 ? std::string(1, c)
                                                : set;
    auto const inRun = [&members](char x) {
        return x != '\0' && members.find(x) != std::string::npos;
    };
    size_t run = 0;
    while (run < m.size() && inRun(m[run])) {
        ++run;
    }
    std::string const view = CView(m);
    size_t keep = view.size();
    while (keep > 0 && inRun(view[keep - 1])) {
        --keep;
    }
    // Whether a zero byte inside the text counts as a member of the set is left open; such runs
    // are not tried.
    if (kind % 3 == 2 && run < m.size() && m[run] == '\0') {
        return;
    }
    if (kind >= 6) {  // TrimRight, then TrimLeft
        kind == 6 ? s.Trim() : kind == 7 ? s.Trim(c) : s.Trim(setArg);
    } else if (kind < 3) {
        kind == 0 ? s.TrimLeft() : kind == 1 ? s.TrimLeft(c) : s.TrimLeft(setArg);
    } else {
        kind == 3 ? s.TrimRight() : kind == 4 ? s.TrimRight(c) : s.TrimRight(setArg);
    }
    if (kind >= 3) {  // a run that reaches the first zero byte cuts the text there
        CopyBeforeWrite(t);
        m.erase(keep < view.size() ? keep : m.size());
        run = std::min(run, m.size());
    }
    if ((kind < 3 || kind >= 6) && !(kind % 3 == 2 && set.empty())) {  // no set: nothing at all
        CopyBeforeWrite(t);
        m.erase(0, run);
    }
}

// Removing, replacing, deleting, inserting, storing, reversing, changing case.
void Run::Edit(int t, int) {
    CPortableString& s = m_s[t];
    std::string& m = m_m[t].text;
    int const length = Size(m);
    int const index = Around(length);
    int const count = Around(length);
    int const at = std::min(std::max(index, 0), length);
    char const c = AnyChar();
    char const to = AnyChar();
    std::string needle;
    std::string by(1, c);
    char const* const fromArg = TextArg(needle, 3, true);
    char const* const toArg = TextArg(by, 5, true);
    int const how = m_in.Range(0, 8);
    if (how == 0) {
        FUZZ_CHECK(s.Remove(c) == std::count(m.begin(), m.end(), c));
        CopyBeforeWrite(t);
        m.erase(std::remove(m.begin(), m.end(), c), m.end());
    } else if (how == 1) {  // equal characters: nothing at all, not even the copy of a shared block
        FUZZ_CHECK(s.Replace(c, to) == (c == to ? 0 : std::count(m.begin(), m.end(), c)));
        if (c != to) {
            CopyBeforeWrite(t);
            std::replace(m.begin(), m.end(), c, to);
        }
    } else if (how == 2) {
        // Every zero-separated segment is searched, also when the text grows in place; a needle
        // holds no zero byte, so that is a search of the whole text.
        std::string expected;
        int hits = 0;
        size_t from = 0;
        for (size_t hit; !needle.empty() && (hit = m.find(needle, from)) != std::string::npos;
             ++hits) {
            expected += m.substr(from, hit - from) + by;
            from = hit + needle.size();
        }
        expected += m.substr(from);
        if (expected.size() <= kLongest) {
            FUZZ_CHECK(s.Replace(fromArg, toArg) == hits);
            if (hits > 0) {  // counted first: no hit, no copy; then grown once, exactly
                CopyBeforeWrite(t);
                GetBuffer(t, Size(expected));
                m = expected;
            }
        }
    } else if (how == 3) {  // the old length; nothing at all when no character is in range
        FUZZ_CHECK(s.Delete(index, count) == length);
        if (std::min<long>(count, length - at) > 0) {
            CopyBeforeWrite(t);
            m.erase(static_cast<size_t>(at), static_cast<size_t>(std::min(count, length - at)));
        }
    } else if (how == 4) {  // an empty text inserts nothing, a zero character is inserted
        std::string const text = count & 1 ? std::string(1, c) : by;
        FUZZ_CHECK((count & 1 ? s.Insert(index, c) : s.Insert(index, toArg)) ==
                   length + Size(text));
        Write(t, text, at);
    } else if (how == 5) {  // an index outside the text is ignored
        s.SetAt(index, c);
        if (index >= 0 && index < length) {
            CopyBeforeWrite(t);
            m[static_cast<size_t>(index)] = c;
        }
    } else if (how == 6) {
        s.MakeReverse();
        CopyBeforeWrite(t);
        std::reverse(m.begin(), m.end());
    } else {  // case changes stop at the first zero byte
        how == 7 ? s.MakeLower() : s.MakeUpper();
        CopyBeforeWrite(t);
        for (size_t i = 0; i < m.size() && m[i] != '\0'; ++i) {
            m[i] = static_cast<char>(how == 7 ? tolower(m[i]) : toupper(m[i]));
        }
    }
}

// Buffer access, locking, FreeExtra, Empty and the releases.
void Run::Buffer(int t, int) {
    Probe& s = m_s[t];
    Model& m = m_m[t];
    int const length = Size(m.text);
    int const minimum = m_in.Range(0, 40);
    int const how = m_in.Range(0, 7);
    if (how == 0) {  // write into a GetBuffer buffer, then set the length
        char* p = s.GetBuffer(minimum);
        GetBuffer(t, minimum);
        FUZZ_CHECK(memcmp(p, m.text.c_str(), m.text.size() + 1) == 0);
        std::string known = m_in.Bytes(std::max(minimum, length));  // then the rest of the text
        known += m.text.substr(std::min(known.size(), m.text.size())) + '\0';
        memcpy(p, known.data(), known.size() - (p == _portablePchNil));  // -1: up to a zero byte
        int const newLength = m_in.Range(-1, Size(known) - 1);
        s.ReleaseBuffer(newLength);
        m.text = newLength == -1 ? CView(known) : known.substr(0, static_cast<size_t>(newLength));
    } else if (how == 1) {  // shorter or longer
        int const newLength = std::max(0, length + minimum - 20);
        char* p = s.GetBufferSetLength(newLength);
        memset(p + length, 'x', static_cast<size_t>(std::max(newLength - length, 0)));
        GetBuffer(t, newLength);
        m.text.resize(static_cast<size_t>(newLength), 'x');
    } else if (how == 2) {  // an empty string on the sentinel stays there, unlocked
        s.LockBuffer();
        GetBuffer(t, 0);
        m_locked.insert(m.block);
        m_locked.erase(0);
    } else if (how == 3 && m.block != 0 && Locked(m.block)) {
        s.UnlockBuffer();
        m_locked.erase(m.block);
    } else if (how == 4) {  // exact size, shared or not
        s.FreeExtra();
        if (length != m.capacity) {
            NewBlock(t, length);
        }
    } else if (how == 5) {  // a locked block is emptied in place, a zero-length one kept
        s.Empty();
        if (length > 0 && !Locked(m.block)) {
            NewBlock(t, 0);
        }
        m.text.clear();
    } else if (how >= 6) {  // the releases give the block up whatever its state
        if (minimum & 1) {
            s.Release();
        } else {
            Probe::Release(s.GetData());
            s.Init();
            Probe::FreeData(nullptr);
        }
        NewBlock(t, 0);
        m.text.clear();
    }
}

void Run::Check() const {
    CPortableStringData const* nil = PortableGetEmptyString().GetData();
    FUZZ_CHECK(nil->nRefCount == -1 && nil->nLength == 0 && nil->nCapacity == 0);
    FUZZ_CHECK(*_portablePchNil == '\0' && PortableGetEmptyString().GetString() == _portablePchNil);
    for (int i = 0; i < kStrings; ++i) {
        CPortableStringData const* data = m_s[i].GetData();
        Model const& m = m_m[i];
        FUZZ_CHECK(Text(m_s[i]) == m.text && m_s[i].GetString()[m.text.size()] == '\0');
        FUZZ_CHECK(data->nCapacity == m.capacity && (data == nil) == (m.block == 0));
        FUZZ_CHECK(m.block == 0 || data->nRefCount == (Locked(m.block) ? -1 : Holders(m.block)));
        for (int j = 0; j < i; ++j) {
            FUZZ_CHECK((data == m_s[j].GetData()) == (m.block == m_m[j].block));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    FuzzInput input(data, size);
    while (!input.Empty()) {  // runs of up to 64 steps, each on four fresh strings
        Run run(input);
        for (int steps = 0; steps < 64 && !input.Empty(); ++steps) {
            run.Step();
            run.Check();
        }
    }
    return 0;
}
