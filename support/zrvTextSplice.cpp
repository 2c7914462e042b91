#include "zrvTextSplice.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

// A character, or a line break of any kind, where it stands in its text.
struct TToken {
    std::uint32_t Code;  // the UTF-16 unit, or kBreak
    std::size_t Pos;
    std::size_t Len;
};

constexpr std::uint32_t kBreak = 0x10000;

std::vector<TToken> Tokens(const std::u16string& text) {
    std::vector<TToken> tokens;
    tokens.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            tokens.push_back({kBreak, i, 2});
            i += 2;
        } else {
            tokens.push_back({c == u'\r' || c == u'\n' ? kBreak : static_cast<std::uint32_t>(c), i, 1});
            ++i;
        }
    }
    return tokens;
}

// One kind of line break in the whole text, or CR LF.
std::u16string NewBreak(const std::u16string& text, const std::vector<TToken>& tokens) {
    std::u16string kind;
    for (const TToken& t : tokens) {
        if (t.Code != kBreak) continue;
        const std::u16string here = text.substr(t.Pos, t.Len);
        if (kind.empty())
            kind = here;
        else if (kind != here)
            return u"\r\n";
    }
    return kind.empty() ? u"\r\n" : kind;
}

// The pairs (i, j) of a longest common subsequence of a[0, n) and b[0, m),
// in order, by the greedy diff; false when the two differ in more than
// maxEdits places (the pairs are then not worth the time).
bool CommonPairs(std::size_t n, std::size_t m, const std::function<bool(std::size_t, std::size_t)>& equal,
                 long maxEdits, std::vector<std::pair<std::size_t, std::size_t>>& pairs) {
    const long N = static_cast<long>(n), M = static_cast<long>(m);
    const long limit = std::min(N + M, maxEdits);
    const long offset = limit + 1;
    std::vector<long> v(static_cast<std::size_t>(2 * offset + 1), 0);
    auto V = [&](long k) -> long& { return v[static_cast<std::size_t>(offset + k)]; };
    std::vector<std::vector<long>> trace;  // v[-d .. d] after each round d
    long found = -1;
    for (long d = 0; d <= limit && found < 0; ++d) {
        for (long k = -d; k <= d; k += 2) {
            long x = (k == -d || (k != d && V(k - 1) < V(k + 1))) ? V(k + 1) : V(k - 1) + 1;
            long y = x - k;
            while (x < N && y < M && equal(static_cast<std::size_t>(x), static_cast<std::size_t>(y))) ++x, ++y;
            V(k) = x;
            if (x >= N && y >= M && found < 0) found = d;
        }
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
    }
    if (found < 0) return false;
    // Back from the end, one round at a time: the diagonal run of the round,
    // then the one step that began it.
    pairs.clear();
    long x = N, y = M;
    for (long d = found; d > 0; --d) {
        const std::vector<long>& before = trace[static_cast<std::size_t>(d - 1)];
        auto prev = [&](long k) { return before[static_cast<std::size_t>(k + d - 1)]; };
        const long k = x - y;
        const long prevK = (k == -d || (k != d && prev(k - 1) < prev(k + 1))) ? k + 1 : k - 1;
        const long prevX = prev(prevK), prevY = prevX - prevK;
        while (x > prevX && y > prevY) {
            --x, --y;
            pairs.emplace_back(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
        }
        x = prevX;
        y = prevY;
    }
    while (x > 0 && y > 0) {
        --x, --y;
        pairs.emplace_back(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
    }
    std::reverse(pairs.begin(), pairs.end());
    return true;
}

// How many differences a search may look for: a search costs about the
// length of the two texts times the differences, kept to some ten million
// steps, so that a text replaced wholesale does not stall the editor.
long EditBudget(std::size_t n, std::size_t m) {
    const long budget = static_cast<long>(20000000 / (n + m + 1));
    return std::max(16L, std::min(1000L, budget));
}

struct TSplice {
    const std::u16string& Old;
    const std::u16string& New;
    const std::vector<TToken>& A;
    const std::vector<TToken>& B;
    std::u16string Break;
    std::u16string Out;

    void Keep(std::size_t i) {
        if (A[i].Code == kBreak)
            AppendBreak(Old.substr(A[i].Pos, A[i].Len));
        else
            Out += Old[A[i].Pos];
    }
    void Insert(std::size_t j) {
        if (B[j].Code == kBreak)
            AppendBreak(Break);
        else
            Out += static_cast<char16_t>(B[j].Code);
    }
    // A lone LF right after a lone CR would read as one CR LF break with
    // it (the user deleted what stood between them): that one becomes CR LF.
    void AppendBreak(const std::u16string& lineBreak) {
        if (lineBreak == u"\n" && !Out.empty() && Out.back() == u'\r')
            Out += u"\r\n";
        else
            Out += lineBreak;
    }

    // Tokens a[ai, ae) edited into b[bi, be): character by character where
    // the two are close enough, else replaced whole.
    void Edit(std::size_t ai, std::size_t ae, std::size_t bi, std::size_t be) {
        std::vector<std::pair<std::size_t, std::size_t>> pairs;
        if (ai == ae || bi == be ||
            !CommonPairs(ae - ai, be - bi, [&](std::size_t i, std::size_t j) { return A[ai + i].Code == B[bi + j].Code; },
                         EditBudget(ae - ai, be - bi), pairs))
            pairs.clear();
        std::size_t i = ai, j = bi;
        for (const auto& p : pairs) {
            while (j < bi + p.second) Insert(j++);
            i = ai + p.first;
            Keep(i++);
            ++j;
        }
        while (j < be) Insert(j++);
    }
};

// The lines of tokens [from, to): where each begins, and one past the end.
std::vector<std::size_t> LineStarts(const std::vector<TToken>& tokens, std::size_t from, std::size_t to) {
    std::vector<std::size_t> starts{from};
    for (std::size_t i = from; i < to; ++i)
        if (tokens[i].Code == kBreak && i + 1 < to) starts.push_back(i + 1);
    starts.push_back(to);
    if (from == to) starts.pop_back();
    return starts;
}

std::uint64_t LineHash(const std::vector<TToken>& tokens, std::size_t from, std::size_t to) {
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t i = from; i < to; ++i) h = (h ^ tokens[i].Code) * 1099511628211ull;
    return h;
}

}  // namespace

std::u16string ShownPart(const std::u16string& stored) { return stored.substr(0, stored.find(u'\0')); }

std::u16string EditorText(const std::u16string& stored) {
    const std::u16string shown = ShownPart(stored);
    std::u16string out;
    out.reserve(shown.size());
    for (const TToken& t : Tokens(shown)) {
        if (t.Code == kBreak)
            out += u"\r\n";
        else
            out += static_cast<char16_t>(t.Code);
    }
    return out;
}

bool SameTextAndBreaks(const std::u16string& a, const std::u16string& b) {
    const std::vector<TToken> ta = Tokens(a), tb = Tokens(b);
    return std::equal(ta.begin(), ta.end(), tb.begin(), tb.end(),
                      [](const TToken& x, const TToken& y) { return x.Code == y.Code; });
}

std::u16string SpliceEdit(const std::u16string& stored, const std::u16string& edited) {
    const std::size_t nul = std::min(stored.find(u'\0'), stored.size());
    const std::u16string shown = stored.substr(0, nul);
    const std::vector<TToken> a = Tokens(shown), b = Tokens(edited);
    TSplice splice{shown, edited, a, b, NewBreak(shown, a), {}};
    splice.Out.reserve(edited.size() + (stored.size() - nul));

    // The common start and end need no search.
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head].Code == b[head].Code) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail].Code == b[b.size() - 1 - tail].Code)
        ++tail;
    for (std::size_t i = 0; i < head; ++i) splice.Keep(i);

    // Between them: whole lines first, so that lines far apart from one
    // another keep their line breaks, then the characters of changed lines.
    const std::size_t ae = a.size() - tail, be = b.size() - tail;
    const std::vector<std::size_t> la = LineStarts(a, head, ae), lb = LineStarts(b, head, be);
    const std::size_t na = la.empty() ? 0 : la.size() - 1, nb = lb.empty() ? 0 : lb.size() - 1;
    std::vector<std::uint64_t> ha(na), hb(nb);
    for (std::size_t i = 0; i < na; ++i) ha[i] = LineHash(a, la[i], la[i + 1]);
    for (std::size_t j = 0; j < nb; ++j) hb[j] = LineHash(b, lb[j], lb[j + 1]);
    auto sameLine = [&](std::size_t i, std::size_t j) {
        if (ha[i] != hb[j] || la[i + 1] - la[i] != lb[j + 1] - lb[j]) return false;
        for (std::size_t k = 0; k < la[i + 1] - la[i]; ++k)
            if (a[la[i] + k].Code != b[lb[j] + k].Code) return false;
        return true;
    };
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    if (na == 0 || nb == 0 || !CommonPairs(na, nb, sameLine, EditBudget(na, nb), lines)) lines.clear();
    std::size_t i = 0, j = 0;  // lines done
    auto tokenAt = [](const std::vector<std::size_t>& starts, std::size_t line, std::size_t end) {
        return line < starts.size() ? starts[line] : end;
    };
    for (const auto& p : lines) {
        splice.Edit(tokenAt(la, i, ae), tokenAt(la, p.first, ae), tokenAt(lb, j, be), tokenAt(lb, p.second, be));
        for (std::size_t k = la[p.first]; k < la[p.first + 1]; ++k) splice.Keep(k);
        i = p.first + 1;
        j = p.second + 1;
    }
    splice.Edit(tokenAt(la, i, ae), ae, tokenAt(lb, j, be), be);

    for (std::size_t k = a.size() - tail; k < a.size(); ++k) splice.Keep(k);
    splice.Out.append(stored, nul, std::u16string::npos);
    return splice.Out;
}
