#include "zrvIniFile.h"

#include <algorithm>

namespace {

constexpr std::size_t kNoValue = static_cast<std::size_t>(-1);
// Value bytes kept: an opening quote and the longest value.
constexpr std::size_t kValueKeep = kIniValueMax + 1;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(std::string name) {
    for (char& c : name) c = FoldCase(c);
    return name;
}

// A name as asked for: up to its first NUL, blanks dropped, folded.
std::string AskedName(const std::string& name) {
    std::size_t end = std::min(name.find('\0'), name.size());
    std::size_t begin = 0;
    while (begin < end && IsBlank(name[begin])) ++begin;
    while (end > begin && IsBlank(name[end - 1])) --end;
    return Folded(name.substr(begin, end - begin));
}

}  // namespace

// ---- TIniSection ------------------------------------------------------------

bool TIniSection::Find(const std::string& key, std::string& value) const {
    const auto it = FIndex.find(AskedName(key));
    if (it == FIndex.end() || it->second == kNoValue) return false;
    value = FEntries[it->second].second;
    return true;
}

std::string TIniSection::ReadString(const std::string& key, const std::string& def) const {
    std::string value;
    return Find(key, value) ? value : def;
}

std::vector<std::string> TIniSection::KeyNamesWithin(std::size_t bufferBytes) const {
    std::vector<std::string> names;
    std::size_t used = 1;  // the final NUL
    for (const std::string& name : FNames) {
        if (bufferBytes < used || bufferBytes - used < name.size() + 1) break;
        used += name.size() + 1;
        names.push_back(name);
    }
    return names;
}

void TIniSection::Clear() {
    FEntries.clear();
    FNames.clear();
    FIndex.clear();
}

void TIniSection::AddLine(const std::string& key, const std::string& value, bool hasValue) {
    const auto inserted = FIndex.emplace(Folded(key), kNoValue);
    if (inserted.second && hasValue) {
        inserted.first->second = FEntries.size();
        FEntries.emplace_back(key, value);
    }
    if (hasValue && !key.empty() && key[0] != ';') FNames.push_back(key);
}

// ---- TIniSectionReader ------------------------------------------------------

TIniSectionReader::TIniSectionReader(const std::string& section, TIniSection& out)
    : FOut(out), FAsked(AskedName(section)) {
    FOut.Clear();
    FCollecting = FAsked.empty();  // the lines before the first header
    FHeader.reserve(FAsked.size());
}

void TIniSectionReader::StartLine() {
    FKind = TLine::Start;
    FKey.clear();
    FKeyBlanks.clear();
    FKeyCut = false;
    FKeyTooLong = false;
    FKeyBlanksOver = false;
    FHasEquals = false;
    FValue.clear();
    FValueStarted = false;
    FValueCut = false;
    FValueLength = 0;
    FValueTrimmed = 0;
    FValueLast = 0;
    FValueEnd = 0;
    FHeader.clear();
    FHeaderLength = 0;
    FHeaderBlanks.clear();
    FHeaderBlankCount = 0;
    FHeaderCut = false;
    FAtBracket = 0;
    FHasBracket = false;
    FBracketAfterCut = false;
}

void TIniSectionReader::KeyChar(char c) {
    if (c == '=') {
        FHasEquals = true;
    } else if (FKeyCut || FKeyTooLong) {
    } else if (c == '\0') {
        // The blanks before it stay in the key.
        FKeyCut = true;
        if (FKey.size() + FKeyBlanks.size() <= kIniKeyMax && !FKeyBlanksOver)
            FKey += FKeyBlanks;
        else
            FKeyTooLong = true;
    } else if (IsBlank(c)) {
        // Kept aside until a non-blank byte shows them to be inside the key.
        if (FKey.size() + FKeyBlanks.size() < kIniKeyMax)
            FKeyBlanks += c;
        else
            FKeyBlanksOver = true;
    } else if (FKey.size() + FKeyBlanks.size() < kIniKeyMax && !FKeyBlanksOver) {
        FKey += FKeyBlanks;
        FKeyBlanks.clear();
        FKey += c;
    } else {
        FKeyTooLong = true;
    }
}

void TIniSectionReader::ValueChar(char c) {
    if (FValueCut) return;
    if (c == '\0') {
        CutValue();
        return;
    }
    const bool blank = IsBlank(c);
    if (!FValueStarted) {
        if (blank) return;
        FValueStarted = true;
    }
    ++FValueLength;
    if (FValue.size() < kValueKeep) FValue += c;
    FValueEnd = c;
    if (!blank) {
        FValueTrimmed = FValueLength;
        FValueLast = c;
    }
}

void TIniSectionReader::CutValue() {
    // The value ends here, with the blanks before the NUL.
    FValueCut = true;
    FValueTrimmed = FValueLength;
    FValueLast = FValueEnd;
}

const char* TIniSectionReader::ValueRun(const char* p, const char* end) {
    const char* stop = p;
    if (FValueCut) {
        while (stop != end && *stop != '\r' && *stop != '\n') ++stop;
        return stop;
    }
    while (stop != end && *stop != '\r' && *stop != '\n' && *stop != '\0') ++stop;
    for (const char* q = stop; q != p; --q)
        if (!IsBlank(q[-1])) {
            FValueTrimmed = FValueLength + static_cast<std::uint64_t>(q - p);
            FValueLast = q[-1];
            break;
        }
    FValueLength += static_cast<std::uint64_t>(stop - p);
    if (stop != p) FValueEnd = stop[-1];
    if (stop != end && *stop == '\0') {
        CutValue();
        ++stop;
    }
    return stop;
}

void TIniSectionReader::HeaderChar(char c) {
    if (FHeaderCut) {
        if (c == ']') FBracketAfterCut = true;
        return;
    }
    if (c == '\0') {
        // The name ends here, with the blanks before the NUL.
        FHeaderCut = true;
        FHeader += FHeaderBlanks;
        FHeaderLength += FHeaderBlankCount;
        return;
    }
    if (IsBlank(c)) {
        if (FHeaderLength == 0) return;  // before the name
        if (FHeader.size() + FHeaderBlanks.size() <= FAsked.size()) FHeaderBlanks += c;
        ++FHeaderBlankCount;
        return;
    }
    if (c == ']') FAtBracket = FHeaderLength;  // the name up to here, trailing blanks left out
    FHasBracket = FHasBracket || c == ']';
    // Only the first bytes are kept: a longer name is not the one asked for.
    FHeader += FHeaderBlanks;
    FHeaderBlanks.clear();
    if (FHeader.size() <= FAsked.size()) FHeader += c;
    FHeaderLength += FHeaderBlankCount + 1;
    FHeaderBlankCount = 0;
}

void TIniSectionReader::EndLine() {
    const TLine kind = FKind;
    if (kind == TLine::Header && (FHasBracket || FBracketAfterCut)) {
        const std::uint64_t length = FBracketAfterCut ? FHeaderLength : FAtBracket;
        if (FCollecting) {
            FCollecting = false;
            FDone = true;
        } else if (length == FAsked.size() && Folded(FHeader.substr(0, FAsked.size())) == FAsked) {
            FCollecting = true;
        }
    } else if (FCollecting && (kind == TLine::Header || kind == TLine::Key) && !FKeyTooLong) {
        std::string value;
        if (FHasEquals) {
            const std::uint64_t n = FValueTrimmed;
            const char first = FValue.empty() ? '\0' : FValue[0];
            const bool quoted = n >= 2 && (first == '"' || first == '\'') && FValueLast == first;
            const std::size_t begin = quoted ? 1 : 0;
            const std::uint64_t end = quoted ? n - 1 : n;
            value = FValue.substr(begin, static_cast<std::size_t>(std::min<std::uint64_t>(end - begin, kIniValueMax)));
        }
        FOut.AddLine(FKey, value, FHasEquals);
    }
    StartLine();
}

bool TIniSectionReader::Feed(const char* data, std::size_t size) {
    const char* p = data;
    const char* const end = data + size;
    while (p != end && !FDone) {
        const char c = *p;
        if (c == '\r' || c == '\n') {
            if (FKind != TLine::Start) EndLine();
            ++p;
            continue;
        }
        switch (FKind) {
        case TLine::Start:
            if (IsBlank(c)) break;
            if (c == '[') {
                FKind = TLine::Header;
                if (FCollecting) KeyChar(c);
            } else if (FCollecting) {
                FKind = TLine::Key;
                KeyChar(c);
            } else {
                FKind = TLine::Skip;
            }
            break;
        case TLine::Skip:
            while (p != end && *p != '\r' && *p != '\n') ++p;
            continue;
        case TLine::Header:
            HeaderChar(c);
            if (!FCollecting) break;
            [[fallthrough]];
        case TLine::Key:
            if (!FHasEquals) {
                KeyChar(c);
            } else if (FKind == TLine::Key && (FValueCut || FValue.size() == kValueKeep)) {
                p = ValueRun(p, end);
                continue;
            } else {
                ValueChar(c);
            }
            break;
        }
        ++p;
    }
    return !FDone;
}

void TIniSectionReader::Finish() {
    if (FKind != TLine::Start && !FDone) EndLine();
    FCollecting = false;
    FDone = true;
}

TIniSection ParseIniSection(const std::string& text, const std::string& section) {
    TIniSection result;
    TIniSectionReader reader(section, result);
    reader.Feed(text.data(), text.size());
    reader.Finish();
    return result;
}
