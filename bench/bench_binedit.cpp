// The binary editor's find, find next, file load and save, and picture page
// on 1 MB of data. Find and find next are compared, in rotated rounds, with
// the plainest way to the same result: std::search over the bytes, and
// scrolling the view to the same lines.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "JpegCodec.h"
#include "Program.h"
#include "Seams.h"
#include "UnitBin.h"
#include "UnitBinFind.h"
#include "UnitMain.h"
#include "zrvString.h"

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double Best(int rounds, F&& f) {
    double best = 1e9;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

std::vector<std::uint8_t> Noise(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng() % 0xDE);  // never DE: the pattern starts nowhere else
    return b;
}

}  // namespace

int main() {
    const size_t kSize = 1 << 20;
    const std::vector<std::uint8_t> pattern = {0xDE, 0xAD, 0xBE, 0xEF};
    std::vector<std::uint8_t> bytes = Noise(kSize, 1);
    std::copy(pattern.begin(), pattern.end(), bytes.end() - 4);

    THexEditModel model;
    model.SetBytes(bytes);
    int hit = -1;
    size_t plainHit = 0;
    bench::Rotation find;
    const bench::Samples& modelFind = find.Add("model", [&] {
        return bench::Time([&] { return (hit = model.FindHex("DE AD BE EF", 0)) >= 0; });
    });
    const bench::Samples& plain = find.Add("plain", [&] {
        return bench::Time([&] {
            plainHit = static_cast<size_t>(std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end()) -
                                           bytes.begin());
            return true;
        });
    });
    find.Run(20);
    std::printf("Find of a 4-byte pattern at the end of 1 MB, 20 rounds in rotated order%s\n",
                hit == static_cast<int>(plainHit) * 3 ? "" : "   (WRONG RESULT)");
    bench::PrintMilliseconds("std::search over the bytes", plain);
    bench::PrintMilliseconds("model search (aim: 1.5 at most)", modelFind, "ratio", &plain);

    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    classlib::Seams().ShowModal = [](classlib::TForm&) {
        frmBinFind->edtHex.SetText("DE AD BE EF");
        return classlib::mrOk;
    };
    classlib::Seams().MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDYES; };
    ::ShowWindow(frmBin->Handle, SW_SHOWNA);
    frmBin->FormShow(frmBin);
    frmBin->SetHexColumnText(BytesToHex(bytes));
    const double command = Best(5, [&] {
        frmBin->SelectHex(0, 0);
        frmBin->pppmnitmHexValueFindClick(nullptr);
    });
    std::printf("  whole Find command (dialog answered, hit selected and shown): %8.3f ms%s\n", command * 1e3,
                frmBin->CharSelection().Start == static_cast<int>(kSize) - 4 ? "" : "   (WRONG RESULT)");

    // 1,000 hits spread over the value, and plain scrolls to the same lines.
    std::vector<std::uint8_t> spread = Noise(kSize, 2);
    std::vector<int> lines;
    for (int i = 0; i < 1000; ++i) {
        const size_t at = (kSize - 8) / 1000 * static_cast<size_t>(i) + 3;
        std::copy(pattern.begin(), pattern.end(), spread.begin() + static_cast<long>(at));
        lines.push_back(static_cast<int>(at / 16));
    }
    frmBin->SetHexColumnText(BytesToHex(spread));
    bench::Rotation next;
    const bench::Samples& f3 = next.Add("f3", [&] {
        frmBin->SelectHex(0, 0);
        frmBin->pppmnitmHexValueFindClick(nullptr);  // the first hit
        int found = 1;
        const double t = bench::Time([&] {
            for (int i = 1; i < 1000; ++i) {
                frmBin->pppmnitmHexValueFindNextClick(nullptr);
                found += frmBin->CharSelection().Length == 4;
            }
            return true;
        });
        return found == 1000 ? t : -1;
    });
    const bench::Samples& scrolls = next.Add("scrolls", [&] {
        return bench::Time([&] {
            for (int i = 1; i < 1000; ++i) frmBin->ScrollColumnsTo(lines[static_cast<size_t>(i)]);
            return true;
        });
    });
    next.Run(3);
    std::printf("F3 through 1,000 hits over 1 MB, 3 rounds in rotated order\n");
    bench::PrintSeconds("1,000 view scrolls to the same lines", scrolls);
    bench::PrintSeconds("F3 (aim: 1.5 at most)", f3, "ratio", scrolls);

    // Load and save of a 1 MB file.
    char dir[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, dir);
    const std::string file = std::string(dir) + "tessmorel_bench_binedit.bin";
    frmBin->SetHexColumnText(BytesToHex(bytes));
    const std::wstring wideFile(file.begin(), file.end());  // the temporary folder's name is ASCII here
    const double save = Best(3, [&] { frmBin->SaveDataToFile(wideFile); });
    frmBin->SetHexColumnText("");
    const double load = Best(3, [&] { frmBin->LoadDataFromFile(wideFile); });
    std::printf("1 MB file: Save %8.3f ms   Load %8.3f ms%s\n", save * 1e3, load * 1e3,
                frmBin->Model().Bytes() == bytes ? "" : "   (WRONG RESULT)");
    ::DeleteFileA(file.c_str());

    // The picture page on a 1 MB JPEG value.
    jpegcore::JpegImage noise;
    noise.Width = 1800;
    noise.Height = 1100;
    noise.Pixels = Noise(static_cast<size_t>(noise.Width) * 3 * static_cast<size_t>(noise.Height), 3);
    std::vector<std::uint8_t> jpeg;
    jpegcore::WriteJPEG(noise, jpeg);
    frmBin->SetHexColumnText(BytesToHex(jpeg));
    const double page = Best(3, [&] {
        frmBin->tbstMainChange(nullptr);  // to the picture page
        frmBin->tbstMainChange(nullptr);  // and back
    });
    frmBin->tbstMainChange(nullptr);
    const bool shown = frmBin->imgMain.Picture() != nullptr;
    std::printf("Picture page on a %.2f MB JPEG value (1800 x 1100): %8.3f ms%s\n", jpeg.size() / 1048576.0, page * 1e3,
                shown ? "" : "   (WRONG RESULT)");

    classlib::ResetSeams();
    classlib::Application().DestroyForms();
    return 0;
}
