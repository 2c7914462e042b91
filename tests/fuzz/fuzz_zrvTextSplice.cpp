// Fuzz target for putting an editor's edit back into stored string data.
// The input is a stored text and a script of edits made on what an editor
// shows of it; whatever the edits, the result must show the edited text and
// keep what the editor did not show.
#include "zrvTextSplice.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// A small alphabet, so that texts meet each other often.
char16_t Unit(std::uint8_t b) {
    static const char16_t kUnits[] = {u'a', u'b', u'c', u'\r', u'\n', u'\0', u'\x3A9', u'\xD800', u' ', u'x'};
    return kUnits[b % (sizeof kUnits / sizeof kUnits[0])];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t split = data[0] % (size - 1) + 1;
    std::u16string stored;
    for (std::size_t i = 1; i < split; ++i) stored += Unit(data[i]);
    std::u16string edited = EditorText(stored);
    // Unedited: the stored text itself.
    Check(SpliceEdit(stored, edited) == stored);
    // Edits: each pair of bytes deletes or inserts at a place.
    for (std::size_t i = split; i + 1 < size; i += 2) {
        const std::size_t at = edited.empty() ? 0 : data[i] % (edited.size() + 1);
        if (data[i + 1] & 1) {
            if (at < edited.size()) edited.erase(at, 1);
        } else {
            const char16_t c = Unit(data[i + 1] >> 1);
            if (c != u'\0') edited.insert(at, 1, c);
        }
    }
    const std::u16string out = SpliceEdit(stored, edited);
    Check(SameTextAndBreaks(ShownPart(out), edited));
    const std::size_t nul = stored.find(u'\0');
    if (nul != std::u16string::npos) {
        const std::u16string tail = stored.substr(nul);
        Check(out.size() >= tail.size() && out.compare(out.size() - tail.size(), tail.size(), tail) == 0);
    }
    return 0;
}
