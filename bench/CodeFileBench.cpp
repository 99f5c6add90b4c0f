// Decoding speed of a large code file: UTF-8 with byte-order mark, Windows line ends, some
// non-ASCII text in strings and comments, and an option trailer at the end.
#include <benchmark/benchmark.h>

#include <string>

#include "viewer/CodeFile.h"

namespace {

std::string MakeKorvexFile(std::size_t size) {
    const char* const lines[] = {
        "' Schaltfläche mit Größenänderung \xE2\x80\x94 Beispiel",
        "#Include Once \"gtk/gtk.bi\"",
        "Dim Shared As GtkWidget Ptr win, button",
        "Sub OnClicked Cdecl (ByVal widget As GtkWidget Ptr, ByVal user_data As gpointer)",
        "    Print \"Grüße aus Köln: \xE2\x82\xAC 12,50\"",
        "    gtk_label_set_text(GTK_LABEL(label), \"Ça marche ! \xF0\x9F\x98\x80\")",
        "End Sub",
        "",
        "    For i As Integer = 1 To 10 : total += i * 2 : Next",
        "?\?' Kommentar mit führenden Fragezeichen",
    };
    std::string text = "\xEF\xBB\xBF";
    text.reserve(size + 256);
    for (std::size_t i = 0; text.size() < size; ++i) {
        text += lines[i % (sizeof lines / sizeof lines[0])];
        text += "\r\n";
    }
    text += "; IDE Options = \"Korvex IDE\"\r\n; EnableUnicode\r\n; SubSystem = gtk3\r\n";
    return text;
}

void BM_DecodeUtf8CodeFile(benchmark::State& state) {
    const std::string file = MakeKorvexFile(10 * 1000 * 1000);
    for (auto _ : state) {
        quillmate::DecodedCodeText decoded = quillmate::DecodeCodeText(file);
        benchmark::DoNotOptimize(decoded.text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_DecodeUtf8CodeFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
