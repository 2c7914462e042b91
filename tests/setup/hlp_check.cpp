// Reads a help file back as a viewer does and says what a reader can reach:
// from the contents topic by its jumps, along the browse sequence, and
// through the keyword index.
//   hlp_check <file.hlp> [NAME...]
// Prints "title|named|jump|browse|index" per topic (flags 0 or 1), then
// "NAME=title" per name asked for (empty when it leads nowhere); exits 1
// when the file cannot be read.
#include "../../setup/help/HelpHash.h"
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> B;
bool Bad = false;  // a read past the end

std::uint32_t U8(size_t at) { return at < B.size() ? B[at] : (Bad = true, 0); }
std::uint32_t U16(size_t at) { return U8(at) | U8(at + 1) << 8; }
std::uint32_t U32(size_t at) { return U16(at) | U16(at + 2) << 16; }
std::string Str(size_t at) {
    std::string s;
    while (U8(at) != 0) s += static_cast<char>(B[at++]);
    return s;
}

// The leaf entries of a one-level B+ tree at the start of an internal file;
// entry(at) reads one and returns where the next starts.
template <class Entry>
void Leaves(size_t file, Entry entry) {
    const size_t tree = file + 9;
    if (U16(tree) != 0x293B || U16(tree + 32) != 1) Bad = true;
    if (Bad) return;
    const size_t page = tree + 38 + U16(tree + 26) * U16(tree + 4);
    size_t at = page + 8;
    for (unsigned i = 0, n = U16(page + 2); i < n && !Bad; ++i) at = entry(at);
}

int Fail(const std::string& why) {
    std::cerr << why << "\n";
    return 1;
}

struct Topic {
    std::string Title;
    std::uint32_t Offset, Back, On;
    std::vector<std::uint32_t> Jumps;  // context hashes
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::ifstream in(argv[1], std::ios::binary);
    B.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (U32(0) != 0x00035F3F || U32(12) != B.size()) return Fail("not a help file");
    std::map<std::string, size_t> files;
    Leaves(U32(4), [&](size_t at) {
        const std::string name = Str(at);
        files[name] = U32(at + name.size() + 1);
        return at + name.size() + 5;
    });
    for (const char* need : {"|SYSTEM", "|TOPIC", "|CONTEXT"})
        if (!files.count(need)) return Fail(std::string("no ") + need);

    // |SYSTEM: the contents topic (the first one when not named).
    std::uint32_t contents = 0;
    const size_t system = files["|SYSTEM"], systemEnd = system + 9 + U32(system + 4);
    for (size_t at = system + 9 + 12; at + 4 <= systemEnd && !Bad; at += 4 + U16(at + 2))
        if (U16(at) == 3) contents = U32(at + 4);

    // |TOPIC: 4,096-byte blocks of 12-byte headers; records chained from the
    // first, topic offsets counted as a viewer counts them.
    std::vector<Topic> topics;
    const size_t topicFile = files["|TOPIC"] + 9;
    std::uint32_t block = ~0u, characters = 0;
    for (std::uint32_t pos = 12, guard = 0; pos != 0xFFFFFFFF && guard < 100000 && !Bad; ++guard) {
        const std::uint32_t blk = (pos - 12) >> 14;
        const size_t at = topicFile + blk * 4096 + 12 + ((pos - 12) & 0x3FFF);
        if (blk != block) block = blk, characters = 0;
        const unsigned type = U8(at + 0x14);
        const size_t data1 = at + 0x15, data2 = at + U32(at + 0x10);
        if (type == 0x02) {
            topics.push_back({Str(data2), blk * 0x8000 + characters, U32(data1 + 4), U32(data1 + 8), {}});
        } else if (type == 0x20 && !topics.empty()) {
            size_t p = data1 + ((U8(data1) & 1) ? 4 : 2);  // past the text size
            characters += (U8(p) & 1) ? U16(p) / 2 : U8(p) / 2;
            p += ((U8(p) & 1) ? 2 : 1) + 4;  // past the length, an unknown and the id
            if (U16(p) != 0) return Fail("paragraph attributes not read here");
            for (p += 2; p < data2 && U8(p) != 0xFF && !Bad;) {
                const unsigned c = U8(p);
                if (c == 0x80) p += 3;
                else if (c == 0x81 || c == 0x82 || c == 0x83 || c == 0x89) p += 1;
                else if (c == 0xE2 || c == 0xE3 || c == 0xE6 || c == 0xE7) topics.back().Jumps.push_back(U32(p + 1)), p += 5;
                else return Fail("formatting command " + std::to_string(c) + " not read here");
            }
        } else {
            return Fail("record type " + std::to_string(type) + " not read here");
        }
        pos = U32(at + 0xC);
    }

    // |CONTEXT: hash to topic offset; the index: keywords to topic offsets.
    std::map<std::uint32_t, std::uint32_t> context;
    Leaves(files["|CONTEXT"], [&](size_t at) {
        context[U32(at)] = U32(at + 4);
        return at + 8;
    });
    std::vector<std::uint32_t> indexed;
    if (files.count("|KWBTREE") && files.count("|KWDATA")) {
        const size_t data = files["|KWDATA"] + 9;
        Leaves(files["|KWBTREE"], [&](size_t at) {
            const size_t after = at + Str(at).size() + 1;  // count, then the first entry's place
            for (unsigned i = 0, n = U16(after); i < n; ++i) indexed.push_back(U32(data + U32(after + 2) + 4 * i));
            return after + 6;
        });
    }
    if (Bad || topics.empty()) return Fail("the file ends early");

    // The topic a viewer shows for an offset: the last one starting at or before it.
    auto topicAt = [&](std::uint32_t offset) {
        int found = -1;
        for (int i = 0; i < static_cast<int>(topics.size()); ++i)
            if (topics[i].Offset <= offset && (found < 0 || topics[found].Offset < topics[i].Offset)) found = i;
        return found;
    };
    std::set<int> named, byJump, byBrowse, inIndex;
    for (const auto& c : context) named.insert(topicAt(c.second));
    for (std::uint32_t o : indexed) inIndex.insert(topicAt(o));
    for (std::vector<int> todo = {topicAt(contents)}; !todo.empty();) {
        const int t = todo.back();
        todo.pop_back();
        if (t >= 0 && byJump.insert(t).second)
            for (std::uint32_t h : topics[t].Jumps)
                if (context.count(h)) todo.push_back(topicAt(context[h]));
    }
    // Along the browse sequence from the first topic, each step backed by the way back.
    for (int t = 0, prev = -1, guard = 0; t >= 0 && guard <= static_cast<int>(topics.size()); ++guard) {
        if (prev >= 0 && topicAt(topics[t].Back) != prev) break;
        byBrowse.insert(prev = t);
        t = topics[t].On == 0xFFFFFFFF ? -1 : topicAt(topics[t].On);
    }
    for (int t = 0; t < static_cast<int>(topics.size()); ++t)
        std::cout << topics[t].Title << "|" << named.count(t) << "|" << byJump.count(t) << "|" << byBrowse.count(t)
                  << "|" << inIndex.count(t) << "\n";
    for (int i = 2; i < argc; ++i) {
        const auto c = context.find(ContextHash(argv[i]));
        const int t = c == context.end() ? -1 : topicAt(c->second);
        std::cout << argv[i] << "=" << (t < 0 ? std::string() : topics[t].Title) << "\n";
    }
    return 0;
}
