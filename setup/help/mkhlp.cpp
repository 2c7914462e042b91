// mkhlp: writes a WinHelp 3.1 file from a plain text source.
//
//   mkhlp <source.txt> <output.hlp>
//
// Source: a line "# Title" starts a topic; "= NAME" gives the topic its
// context name (letters, digits, "." and "_"), by which jumps and the
// programs reach it; "K word; other word" adds index keywords; other lines
// up to a blank line make one paragraph, in which "{text|NAME}" is a hot
// spot that jumps to the topic NAME. The first topic is the contents; all
// topics form one browse sequence in source order. Lines before the first
// title, a jump to an unknown name and a name given twice are errors.
//
// Output: the help file's own small file system (a header, a directory B+
// tree and the internal files), with |SYSTEM (version 1.21, no compression,
// 4,096-byte topic blocks, the first title as the help title, the contents
// topic, the browse buttons), |FONT (one face), |TOPIC (one topic header per
// title and one display record per paragraph, no record across a block),
// |CONTEXT (the context names' hashes), |KWBTREE and |KWDATA (the keyword
// index). Host-only tool: standard C++17. On any error it says why, writes
// nothing, exits 1.
#include <cctype>
#include "HelpHash.h"
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void Put8(Bytes& b, unsigned v) { b.push_back(static_cast<unsigned char>(v)); }
void Put16(Bytes& b, unsigned v) {
    Put8(b, v & 0xFF);
    Put8(b, (v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void Set32(Bytes& b, size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutString(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}
// Compressed unsigned numbers: the low bit says whether the short or the
// long form follows.
void PutCompressedLong(Bytes& b, std::uint32_t v) {
    if (v < 0x8000) Put16(b, v * 2);
    else Put32(b, v * 2 + 1);
}
void PutCompressedShort(Bytes& b, unsigned v) {
    if (v < 0x80) Put8(b, v * 2);
    else Put16(b, v * 2 + 1);
}

constexpr std::uint32_t kBlockSize = 4096;
constexpr std::uint32_t kBlockHeader = 12;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;

struct Topic {
    std::string Title;
    std::string Context;
    std::vector<std::string> Keywords;
    std::vector<std::string> Paragraphs;
};

bool ValidContext(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '.' && c != '_') return false;
    return true;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return std::string();
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}

// A paragraph cut into its texts and hot spots.
struct Piece {
    std::string Text;
    std::string Jump;  // context name; empty for plain text
};

bool SplitParagraph(const std::string& p, std::vector<Piece>& pieces, std::string& error) {
    size_t at = 0;
    while (at < p.size()) {
        const size_t open = p.find('{', at);
        if (open == std::string::npos) {
            pieces.push_back({p.substr(at), ""});
            break;
        }
        if (open > at) pieces.push_back({p.substr(at, open - at), ""});
        const size_t close = p.find('}', open);
        const size_t bar = p.find('|', open);
        if (close == std::string::npos || bar == std::string::npos || bar > close) {
            error = "a hot spot is not of the form {text|NAME}";
            return false;
        }
        const std::string text = p.substr(open + 1, bar - open - 1), name = Trim(p.substr(bar + 1, close - bar - 1));
        if (text.empty() || !ValidContext(name)) {
            error = "the hot spot \"" + p.substr(open, close - open + 1) + "\" needs a text and a context name";
            return false;
        }
        pieces.push_back({text, name});
        at = close + 1;
    }
    return true;
}

// A record of |TOPIC before it is placed: its type, link data 1 and 2.
struct Record {
    unsigned Type;
    Bytes Data1, Data2;
    std::uint32_t Pos = 0;     // where it lands (block << 14, plus 12, plus offset)
    std::uint32_t Length = 0;  // characters it shows
    std::uint32_t Offset = 0;  // block * 0x8000 plus the characters before it in its block
    size_t Size() const { return 21 + Data1.size() + Data2.size(); }
};

// The B+ tree header of an internal file, with one leaf page.
Bytes BTree(unsigned flags, unsigned pageSize, const char* structure, const std::vector<Bytes>& entries) {
    Bytes b;
    Put16(b, 0x293B);
    Put16(b, flags);
    Put16(b, pageSize);
    std::string s = structure;
    s.resize(16, '\0');
    b.insert(b.end(), s.begin(), s.end());
    Put16(b, 0);       // must be zero
    Put16(b, 0);       // page splits
    Put16(b, 0);       // root page
    Put16(b, 0xFFFF);  // must be -1
    Put16(b, 1);       // pages
    Put16(b, 1);       // levels
    Put32(b, static_cast<std::uint32_t>(entries.size()));
    size_t used = 8;
    for (const Bytes& e : entries) used += e.size();
    Put16(b, static_cast<unsigned>(pageSize - used));  // unused bytes of the page
    Put16(b, static_cast<unsigned>(entries.size()));
    Put16(b, 0xFFFF);  // no previous page
    Put16(b, 0xFFFF);  // no next page
    for (const Bytes& e : entries) b.insert(b.end(), e.begin(), e.end());
    b.resize(38 + pageSize, 0);
    return b;
}

// An internal file: its 9-byte header, then its data.
Bytes InternalFile(const Bytes& data) {
    Bytes b;
    Put32(b, static_cast<std::uint32_t>(9 + data.size()));  // reserved space, header included
    Put32(b, static_cast<std::uint32_t>(data.size()));      // used space
    Put8(b, 4);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

bool ReadTopics(const std::string& name, std::vector<Topic>& topics, std::string& error) {
    std::ifstream in(name);
    if (!in) {
        error = "cannot read " + name;
        return false;
    }
    std::string line, para;
    int lineNo = 0;
    auto flush = [&] {
        if (!para.empty()) topics.back().Paragraphs.push_back(para);
        para.clear();
    };
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("# ", 0) == 0) {
            if (!topics.empty()) flush();
            topics.push_back({Trim(line.substr(2)), "", {}, {}});
            continue;
        }
        const bool context = line.rfind("= ", 0) == 0, keywords = line.rfind("K ", 0) == 0;
        if ((context || keywords) && !topics.empty()) {
            flush();
            if (context) {
                const std::string ctx = Trim(line.substr(2));
                if (!ValidContext(ctx) || !topics.back().Context.empty()) {
                    error = name + ":" + std::to_string(lineNo) + ": a topic takes one context name of letters, digits, \".\" and \"_\"";
                    return false;
                }
                topics.back().Context = ctx;
            } else {
                std::string rest = line.substr(2);
                for (size_t start = 0; start <= rest.size();) {
                    size_t end = rest.find(';', start);
                    if (end == std::string::npos) end = rest.size();
                    const std::string k = Trim(rest.substr(start, end - start));
                    if (!k.empty()) topics.back().Keywords.push_back(k);
                    start = end + 1;
                }
            }
            continue;
        }
        if (line.find_first_not_of(" \t") == std::string::npos) {
            if (!topics.empty()) flush();
            continue;
        }
        if (topics.empty()) {
            error = name + ":" + std::to_string(lineNo) + ": text before the first \"# \" title";
            return false;
        }
        para += (para.empty() ? "" : " ") + line;
    }
    if (!topics.empty()) flush();
    if (topics.empty()) {
        error = name + ": no topic";
        return false;
    }
    // Every jump leads somewhere, and a name stands for one topic.
    std::set<std::string> names;
    for (const Topic& t : topics) {
        if (t.Context.empty()) continue;
        if (!names.insert(t.Context).second) {
            error = name + ": the context name " + t.Context + " is given twice";
            return false;
        }
    }
    for (const Topic& t : topics)
        for (const std::string& p : t.Paragraphs) {
            std::vector<Piece> pieces;
            if (!SplitParagraph(p, pieces, error)) {
                error = name + ": \"" + t.Title + "\": " + error;
                return false;
            }
            for (const Piece& piece : pieces)
                if (!piece.Jump.empty() && !names.count(piece.Jump)) {
                    error = name + ": \"" + t.Title + "\" jumps to " + piece.Jump + ", which no topic is called";
                    return false;
                }
        }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mkhlp <source.txt> <output.hlp>\n";
        return 1;
    }
    std::vector<Topic> topics;
    std::string error;
    if (!ReadTopics(argv[1], topics, error)) {
        std::cerr << "mkhlp: " << error << "\n";
        return 1;
    }

    // The records in reading order: a topic header, then its paragraphs.
    std::vector<Record> records;
    std::vector<size_t> headers;
    for (const Topic& t : topics) {
        headers.push_back(records.size());
        Record h{0x02, {}, {}};
        h.Data1.resize(28, 0);  // filled in once every record has its place
        PutString(h.Data2, t.Title);
        records.push_back(h);
        for (const std::string& p : t.Paragraphs) {
            std::vector<Piece> pieces;
            std::string error;
            SplitParagraph(p, pieces, error);  // checked when read
            // Link data 2 holds one string before each formatting command:
            // the font, then the text pieces with a hot spot's start before
            // and its end after its text, the end of the paragraph and the
            // end of the record.
            Bytes commands;
            unsigned length = 1;  // characters, the paragraph's end included
            Record r{0x20, {}, {}};
            Put8(r.Data2, 0);
            Put8(commands, 0x80);  // font 0
            Put16(commands, 0);
            std::string pending;
            for (const Piece& piece : pieces) {
                length += static_cast<unsigned>(piece.Text.size());
                if (piece.Jump.empty()) {
                    pending += piece.Text;
                    continue;
                }
                PutString(r.Data2, pending);
                pending.clear();
                Put8(commands, 0xE3);  // jump to the topic of a context hash
                Put32(commands, ContextHash(piece.Jump));
                PutString(r.Data2, piece.Text);
                Put8(commands, 0x89);  // end of the hot spot
            }
            PutString(r.Data2, pending);
            Put8(commands, 0x82);  // end of paragraph
            Put8(r.Data2, 0);
            Put8(commands, 0xFF);  // end of the record
            PutCompressedLong(r.Data1, static_cast<std::uint32_t>(r.Data2.size()));
            PutCompressedShort(r.Data1, length);
            r.Length = length;
            Put8(r.Data1, 0x00);
            Put8(r.Data1, 0x80);
            Put16(r.Data1, 0);  // paragraph id
            Put16(r.Data1, 0);  // no paragraph attributes
            r.Data1.insert(r.Data1.end(), commands.begin(), commands.end());
            if (r.Size() > kBlockSize - kBlockHeader) {
                std::cerr << "mkhlp: a paragraph of \"" << t.Title << "\" is too long for one block\n";
                return 1;
            }
            records.push_back(r);
        }
    }

    // Places: records follow one another and never cross a block. A topic's
    // offset counts the characters before it in its block.
    std::uint32_t block = 0, offset = 0, characters = 0;
    for (Record& r : records) {
        if (offset + r.Size() > kBlockSize - kBlockHeader) {
            ++block;
            offset = 0;
            characters = 0;
        }
        r.Pos = (block << 14) + kBlockHeader + offset;
        r.Offset = block * 0x8000 + characters;
        offset += static_cast<std::uint32_t>(r.Size());
        characters += r.Length;
    }
    const std::uint32_t blocks = block + 1;

    // Topic headers: size of the topic, browse order, number, first and next.
    for (size_t t = 0; t < headers.size(); ++t) {
        Record& h = records[headers[t]];
        const size_t last = t + 1 < headers.size() ? headers[t + 1] : records.size();
        std::uint32_t size = 0;
        for (size_t i = headers[t]; i < last; ++i) size += static_cast<std::uint32_t>(records[i].Size());
        h.Data1.clear();
        Put32(h.Data1, size);
        Put32(h.Data1, t > 0 ? records[headers[t - 1]].Offset : kNone);  // browse back
        Put32(h.Data1, t + 1 < headers.size() ? records[headers[t + 1]].Offset : kNone);  // browse on
        Put32(h.Data1, static_cast<std::uint32_t>(t));
        Put32(h.Data1, kNone);  // no non-scrolling region
        Put32(h.Data1, headers[t] + 1 < last ? records[headers[t] + 1].Pos : kNone);
        Put32(h.Data1, last < records.size() ? records[last].Pos : kNone);
    }

    Bytes topic(blocks * kBlockSize, 0);
    for (std::uint32_t b = 0; b < blocks; ++b) {
        std::uint32_t first = kNone, lastLink = kNone, lastHeader = kNone;
        for (const Record& r : records) {
            if ((r.Pos >> 14) > b) break;
            lastLink = r.Pos;
            if (r.Type == 0x02) lastHeader = r.Pos;
            if ((r.Pos >> 14) == b && first == kNone) first = r.Pos;
        }
        Set32(topic, b * kBlockSize + 0, lastLink);
        Set32(topic, b * kBlockSize + 4, first);
        Set32(topic, b * kBlockSize + 8, lastHeader);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        Bytes link;
        Put32(link, static_cast<std::uint32_t>(r.Size()));
        Put32(link, static_cast<std::uint32_t>(r.Data2.size()));
        Put32(link, i > 0 ? records[i - 1].Pos : kNone);
        Put32(link, i + 1 < records.size() ? records[i + 1].Pos : kNone);
        Put32(link, static_cast<std::uint32_t>(21 + r.Data1.size()));
        Put8(link, r.Type);
        link.insert(link.end(), r.Data1.begin(), r.Data1.end());
        link.insert(link.end(), r.Data2.begin(), r.Data2.end());
        const size_t at = (r.Pos >> 14) * kBlockSize + (r.Pos & 0x3FFF);
        std::copy(link.begin(), link.end(), topic.begin() + at);
    }

    Bytes system;
    Put16(system, 0x036C);
    Put16(system, 21);  // minor version: 3.1
    Put16(system, 1);   // major version
    Put32(system, 0);   // generation date
    Put16(system, 0);   // flags: uncompressed 4 KB topic blocks
    Put16(system, 1);   // title record
    Put16(system, static_cast<unsigned>(topics[0].Title.size() + 1));
    PutString(system, topics[0].Title);
    Put16(system, 3);   // the contents topic: the first
    Put16(system, 4);
    Put32(system, records[headers[0]].Offset);
    const std::string browse = "BrowseButtons()";
    Put16(system, 4);   // a macro run when the file opens
    Put16(system, static_cast<unsigned>(browse.size() + 1));
    PutString(system, browse);

    Bytes font;
    Put16(font, 1);        // face names
    Put16(font, 1);        // descriptors
    Put16(font, 8);        // face names at
    Put16(font, 8 + 32);   // descriptors at
    std::string face = "Arial";
    face.resize(32, '\0');
    font.insert(font.end(), face.begin(), face.end());
    Put8(font, 0);         // attributes
    Put8(font, 20);        // half points
    Put8(font, 2);         // family: swiss
    Put16(font, 0);        // face name 0
    Put8(font, 0), Put8(font, 0), Put8(font, 0);         // text colour
    Put8(font, 255), Put8(font, 255), Put8(font, 255);   // background

    // Context names: hash and topic offset, in the order of the hashes as
    // signed numbers.
    std::vector<std::pair<std::int32_t, std::uint32_t>> hashes;
    for (size_t t = 0; t < topics.size(); ++t)
        if (!topics[t].Context.empty())
            hashes.push_back({static_cast<std::int32_t>(ContextHash(topics[t].Context)), records[headers[t]].Offset});
    std::sort(hashes.begin(), hashes.end());
    for (size_t i = 1; i < hashes.size(); ++i)
        if (hashes[i].first == hashes[i - 1].first) {
            std::cerr << "mkhlp: two context names have the same hash\n";
            return 1;
        }
    std::vector<Bytes> contextEntries;
    for (const auto& h : hashes) {
        Bytes e;
        Put32(e, static_cast<std::uint32_t>(h.first));
        Put32(e, h.second);
        contextEntries.push_back(e);
    }
    // Keywords, sorted without regard to case, each with the offsets of its
    // topics in |KWDATA.
    std::map<std::string, std::pair<std::string, std::vector<std::uint32_t>>> keywords;
    for (size_t t = 0; t < topics.size(); ++t)
        for (const std::string& k : topics[t].Keywords) {
            std::string key = k;
            for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            auto& entry = keywords[key];
            if (entry.first.empty()) entry.first = k;
            if (std::find(entry.second.begin(), entry.second.end(), records[headers[t]].Offset) == entry.second.end())
                entry.second.push_back(records[headers[t]].Offset);
        }
    Bytes kwdata;
    std::vector<Bytes> keywordEntries;
    for (const auto& k : keywords) {
        Bytes e;
        PutString(e, k.second.first);
        Put16(e, static_cast<unsigned>(k.second.second.size()));
        Put32(e, static_cast<std::uint32_t>(kwdata.size()));
        for (std::uint32_t o : k.second.second) Put32(kwdata, o);
        keywordEntries.push_back(e);
    }
    for (const auto* list : {&contextEntries, &keywordEntries}) {
        size_t used = 8;
        for (const Bytes& e : *list) used += e.size();
        if (used > 0x800) {
            std::cerr << "mkhlp: too many context names or keywords for one index page\n";
            return 1;
        }
    }
    // Internal files in the directory's order (by name).
    std::map<std::string, Bytes> files = {
        {"|CONTEXT", InternalFile(BTree(0x0002, 0x0800, "L4", contextEntries))},
        {"|FONT", InternalFile(font)},
        {"|SYSTEM", InternalFile(system)},
        {"|TOPIC", InternalFile(topic)},
    };
    if (!keywordEntries.empty()) {
        files["|KWBTREE"] = InternalFile(BTree(0x0002, 0x0800, "z24", keywordEntries));
        files["|KWDATA"] = InternalFile(kwdata);
    }
    Bytes out(16, 0);
    std::vector<Bytes> entries;
    for (const auto& f : files) {
        Bytes e;
        PutString(e, f.first);
        Put32(e, static_cast<std::uint32_t>(out.size()));
        entries.push_back(e);
        out.insert(out.end(), f.second.begin(), f.second.end());
    }
    const std::uint32_t directory = static_cast<std::uint32_t>(out.size());
    const Bytes dir = InternalFile(BTree(0x0402, 0x0400, "z4", entries));
    out.insert(out.end(), dir.begin(), dir.end());
    Set32(out, 0, 0x00035F3F);
    Set32(out, 4, directory);
    Set32(out, 8, kNone);  // no free block
    Set32(out, 12, static_cast<std::uint32_t>(out.size()));

    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f) {
        std::cerr << "mkhlp: cannot write " << argv[2] << "\n";
        return 1;
    }
    const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
    if (std::fclose(f) != 0 || !ok) {
        std::remove(argv[2]);
        std::cerr << "mkhlp: cannot write " << argv[2] << "\n";
        return 1;
    }
    return 0;
}
