// Reads a WinHelp 3.1 file as a help viewer does and says what a reader
// can reach: from the contents topic by its jumps, along the browse
// sequence, and through the keyword index.
//   hlp_check <file.hlp> [NAME...]
// Prints one line per topic ("title|context|jump|browse|keywords", each
// flag 0 or 1), then "NAME=title" for each context name asked for (empty
// when it leads nowhere), and exits 1 when the file cannot be read.
#include "../../setup/help/HelpHash.h"
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

struct Reader {
    const Bytes& B;
    bool Bad = false;
    std::uint32_t U8(size_t at) {
        if (at >= B.size()) return Bad = true, 0;
        return B[at];
    }
    std::uint32_t U16(size_t at) { return U8(at) | U8(at + 1) << 8; }
    std::uint32_t U32(size_t at) { return U16(at) | U16(at + 2) << 16; }
    std::string Str(size_t at) {
        std::string s;
        while (at < B.size() && B[at]) s += static_cast<char>(B[at++]);
        if (at >= B.size()) Bad = true;
        return s;
    }
};

// The leaf entries of a one-level B+ tree at the start of an internal file.
template <class Entry>
void Leaves(Reader& r, size_t file, Entry entry) {
    const size_t tree = file + 9;
    if (r.U16(tree) != 0x293B || r.U16(tree + 32) != 1) {
        r.Bad = true;
        return;
    }
    const size_t page = tree + 38 + r.U16(tree + 26) * r.U16(tree + 4);
    size_t at = page + 8;
    for (unsigned i = 0, n = r.U16(page + 2); i < n && !r.Bad; ++i) at = entry(at);
}

struct Topic {
    std::string Title;
    std::uint32_t Offset = 0;
    std::uint32_t Back = 0, On = 0;
    std::vector<std::uint32_t> Jumps;  // context hashes
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Reader r{b};
    if (r.U32(0) != 0x00035F3F || r.U32(12) != b.size()) {
        std::cerr << "not a help file\n";
        return 1;
    }
    std::map<std::string, size_t> files;
    Leaves(r, r.U32(4), [&](size_t at) {
        const std::string name = r.Str(at);
        files[name] = r.U32(at + name.size() + 1);
        return at + name.size() + 5;
    });
    for (const char* need : {"|SYSTEM", "|TOPIC", "|CONTEXT"})
        if (!files.count(need)) {
            std::cerr << "no " << need << "\n";
            return 1;
        }

    // |SYSTEM: the contents topic (the first one when not named).
    std::uint32_t contents = 0;
    {
        const size_t f = files["|SYSTEM"], end = f + 9 + r.U32(f + 4);
        for (size_t at = f + 9 + 12; at + 4 <= end && !r.Bad; at += 4 + r.U16(at + 2))
            if (r.U16(at) == 3) contents = r.U32(at + 4);
    }

    // |TOPIC: 4,096-byte blocks of 12-byte headers; records chained from
    // the first, topic offsets counted as a viewer counts them.
    std::vector<Topic> topics;
    {
        const size_t f = files["|TOPIC"] + 9;
        std::uint32_t pos = 12, block = ~0u, characters = 0;
        for (int guard = 0; pos != 0xFFFFFFFF && guard < 100000 && !r.Bad; ++guard) {
            const std::uint32_t blk = (pos - 12) >> 14;
            const size_t at = f + blk * 4096 + 12 + ((pos - 12) & 0x3FFF);
            if (blk != block) block = blk, characters = 0;
            const unsigned type = r.U8(at + 0x14);
            const size_t data1 = at + 0x15, data2 = at + r.U32(at + 0x10);
            if (type == 0x02) {
                Topic t;
                t.Title = r.Str(data2);
                t.Offset = blk * 0x8000 + characters;
                t.Back = r.U32(data1 + 4);
                t.On = r.U32(data1 + 8);
                topics.push_back(t);
            } else if (type == 0x20 && !topics.empty()) {
                size_t p = data1;
                p += (r.U8(p) & 1) ? 4 : 2;  // text size
                const unsigned length = (r.U8(p) & 1) ? r.U16(p) / 2 : r.U8(p) / 2;
                p += (r.U8(p) & 1) ? 2 : 1;
                characters += length;
                p += 4;  // unknown, id
                if (r.U16(p) != 0) {
                    std::cerr << "paragraph attributes not read here\n";
                    return 1;
                }
                for (p += 2; p < data2 && r.U8(p) != 0xFF && !r.Bad;) {
                    const unsigned c = r.U8(p);
                    if (c == 0x80) p += 3;
                    else if (c == 0x81 || c == 0x82 || c == 0x83 || c == 0x89) p += 1;
                    else if (c == 0xE2 || c == 0xE3 || c == 0xE6 || c == 0xE7) {
                        topics.back().Jumps.push_back(r.U32(p + 1));
                        p += 5;
                    } else {
                        std::cerr << "formatting command " << c << " not read here\n";
                        return 1;
                    }
                }
            } else {
                std::cerr << "record type " << type << " not read here\n";
                return 1;
            }
            pos = r.U32(at + 0xC);
        }
    }

    // |CONTEXT: hash to topic offset; the index: keywords to topic offsets.
    std::map<std::uint32_t, std::uint32_t> context;
    Leaves(r, files["|CONTEXT"], [&](size_t at) {
        context[r.U32(at)] = r.U32(at + 4);
        return at + 8;
    });
    std::set<std::uint32_t> indexed;
    if (files.count("|KWBTREE") && files.count("|KWDATA")) {
        const size_t data = files["|KWDATA"] + 9;
        Leaves(r, files["|KWBTREE"], [&](size_t at) {
            const std::string k = r.Str(at);
            const unsigned n = r.U16(at + k.size() + 1);
            const std::uint32_t first = r.U32(at + k.size() + 3);
            for (unsigned i = 0; i < n; ++i) indexed.insert(r.U32(data + first + 4 * i));
            return at + k.size() + 7;
        });
    }
    if (r.Bad || topics.empty()) {
        std::cerr << "the file ends early\n";
        return 1;
    }

    // The topic a viewer shows for an offset: the last one starting at or
    // before it.
    auto topicAt = [&](std::uint32_t offset) -> int {
        int found = -1;
        for (size_t i = 0; i < topics.size(); ++i)
            if (topics[i].Offset <= offset && (found < 0 || topics[found].Offset < topics[i].Offset))
                found = static_cast<int>(i);
        return found;
    };
    std::set<int> byJump, byBrowse, named;
    std::vector<int> todo = {topicAt(contents)};
    while (!todo.empty()) {
        const int t = todo.back();
        todo.pop_back();
        if (t < 0 || !byJump.insert(t).second) continue;
        for (std::uint32_t h : topics[t].Jumps)
            if (context.count(h)) todo.push_back(topicAt(context[h]));
    }
    // Along the browse sequence from the first topic, each step backed by
    // the way back.
    for (int t = 0, prev = -1, guard = 0; t >= 0 && guard <= static_cast<int>(topics.size()); ++guard) {
        if (prev >= 0 && topicAt(topics[t].Back) != prev) break;
        byBrowse.insert(t);
        prev = t;
        t = topics[t].On == 0xFFFFFFFF ? -1 : topicAt(topics[t].On);
    }
    for (const auto& c : context) named.insert(topicAt(c.second));
    for (size_t i = 0; i < topics.size(); ++i) {
        const int t = static_cast<int>(i);
        bool inIndex = false;
        for (std::uint32_t o : indexed) inIndex = inIndex || topicAt(o) == t;
        std::cout << topics[i].Title << "|" << named.count(t) << "|" << byJump.count(t) << "|" << byBrowse.count(t)
                  << "|" << inIndex << "\n";
    }
    for (int i = 2; i < argc; ++i) {
        const auto c = context.find(ContextHash(argv[i]));
        const int t = c == context.end() ? -1 : topicAt(c->second);
        std::cout << argv[i] << "=" << (t < 0 ? std::string() : topics[t].Title) << "\n";
    }
    return 0;
}
