// The desktop app: one option change on a 4 MB text, from the options page's
// list to the result shown in the "SQL Output" editor, and the parts of that
// path, each the median of several runs, in milliseconds of wall time.
//
// The text is whole files of the corpus (QUILLMARK_CORPUS_DIR) up to 4 MB
// (2^20 bytes), opened as a user opens a file. It runs on the offscreen
// platform unless QT_QPA_PLATFORM names another: app_option_bench [runs].
// Other work on the machine shows in the figures: the load is printed.
#include "AppStrings.h"
#include "FormOptCapitalisation.h"
#include "Format.h"
#include "Lexicon.h"
#include "MainFrame.h"
#include "ProfileStore.h"
#include "Prompts.h"
#include "QuillmarkApp.h"
#include "QuillmarkDoc.h"
#include "QuillmarkView.h"
#include "SQLView.h"

#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/resource.h>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace
{

constexpr size_t kTextBytes = 4u << 20;
// The keyword-case list of the Capitalisation page.
constexpr int kKeywordCaseList = 1011;

fs::path CorpusDir()
{
    const char* env = std::getenv("QUILLMARK_CORPUS_DIR");
    return env && *env ? fs::path(env) : fs::path(QUILLMARK_CORPUS_DIR);
}

// Whole corpus files, in name order, until there are kTextBytes bytes.
std::string CorpusText()
{
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::is_directory(CorpusDir(), error))
        for (const auto& entry : fs::recursive_directory_iterator(CorpusDir(), error))
        {
            const std::string ext = entry.path().extension().string();
            if (entry.is_regular_file(error) &&
                (ext == ".sql" || ext == ".pks" || ext == ".pkb" || ext == ".tps" || ext == ".tpb"))
                files.push_back(entry.path());
        }
    std::sort(files.begin(), files.end());
    std::string bytes;
    for (const fs::path& file : files)
    {
        if (bytes.size() >= kTextBytes)
            break;
        std::ifstream in(file, std::ios::binary);
        bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!bytes.empty() && bytes.back() != '\n')
            bytes += '\n';
    }
    return bytes;
}

double Milliseconds(const std::function<void()>& run)
{
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0 : times[times.size() / 2];
}

// The median of runs runs of run, each after prepare (not timed).
double MedianOf(int runs, const std::function<void()>& run, const std::function<void()>& prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
    {
        if (prepare)
            prepare();
        times.push_back(Milliseconds(run));
    }
    return Median(times);
}

void Report(const char* what, double ms)
{
    std::printf("  %-44s %8.1f ms\n", what, ms);
}

// CPU time of every thread of the process so far, in milliseconds, and its
// page faults.
struct CUsage
{
    double m_nCpuMs = 0;
    long m_nFaults = 0;

    static CUsage Now()
    {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
        return {ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_minflt + usage.ru_majflt};
    }
};

// Lets the window handle what the change posted: the editor's repaint.
void DrainEvents()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir home;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("XDG_DATA_HOME", QDir(home.path()).filePath(QStringLiteral("data")).toUtf8().constData(), 1);
    ::setenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toUtf8().constData(), 1);
    CMemoryProfileStore store;
    CQuillmarkApp app(argc, argv, &store);
    // Closing the window at the end asks nothing.
    CPrompts::SetMessageBoxHandler(
        [](const QString&, QMessageBox::StandardButtons, QMessageBox::Icon) { return QMessageBox::Discard; });

    const std::string bytes = CorpusText();
    if (bytes.empty())
    {
        std::fprintf(stderr, "no corpus at %s\n", CorpusDir().string().c_str());
        return 1;
    }
    const QString path = QDir(home.path()).filePath(QStringLiteral("big.sql"));
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;

    CQuillmarkDoc doc(&store);
    CMainFrame frame(&doc);
    frame.show();
    DrainEvents();
    const double openMs = Milliseconds([&] {
        doc.OnOpenDocument(path);
        DrainEvents();
    });
    CSQLView& output = *frame.GetView()->FindTabView(AppStrings::kOutputTab);

    CFormOptCapitalisation* page = nullptr;
    for (CFormOptDlg* candidate : frame.Pages())
        if (auto* capitalisation = dynamic_cast<CFormOptCapitalisation*>(candidate))
            page = capitalisation;
    auto* list = page ? qobject_cast<QComboBox*>(page->GetDlgItem(kKeywordCaseList)) : nullptr;
    if (!list)
    {
        std::fprintf(stderr, "no keyword case list\n");
        return 1;
    }
    const std::u16string& input = doc.LastInput();
    std::printf("Option change on %.2f MB of corpus SQL (%zu bytes, %lld lines out), %u cores, median of %d\n",
                static_cast<double>(bytes.size()) / (1 << 20), bytes.size(),
                static_cast<long long>(output.lines()), std::thread::hardware_concurrency(), runs);
    double load = 0;
    std::ifstream("/proc/loadavg") >> load;
    std::printf("  (load average over the last minute before the runs: %.2f)\n", load);
    Report("open the file (read, format, show)", openMs);

    // The whole change: the user picks the other keyword case.
    int choice = 0;
    std::vector<double> whole;
    std::vector<double> handled;
    std::vector<double> drawn;
    std::vector<double> cpu;
    std::vector<double> faults;
    for (int i = 0; i < runs; ++i)
    {
        choice = 1 - choice;
        list->setCurrentIndex(choice);
        const CUsage before = CUsage::Now();
        handled.push_back(Milliseconds([&] { emit list->activated(choice); }));
        drawn.push_back(Milliseconds(DrainEvents));
        const CUsage after = CUsage::Now();
        whole.push_back(handled.back() + drawn.back());
        cpu.push_back(after.m_nCpuMs - before.m_nCpuMs);
        faults.push_back(static_cast<double>(after.m_nFaults - before.m_nFaults));
    }
    Report("option change, whole", Median(whole));
    std::printf("  %-44s %8.1f ms, %.0f page faults\n", "  its CPU time, all threads", Median(cpu), Median(faults));
    Report("  the change handled (result in the editor)", Median(handled));
    Report("  the events after it (repaint)", Median(drawn));

    // The same with the output scrolled to its end before each change: the
    // new text is shown from its top, so the text above the old place is
    // not styled.
    std::vector<double> atEnd;
    for (int i = 0; i < runs; ++i)
    {
        choice = 1 - choice;
        list->setCurrentIndex(choice);
        output.setFirstVisibleLine(output.lines() - 10);
        DrainEvents();
        atEnd.push_back(Milliseconds([&] {
            emit list->activated(choice);
            DrainEvents();
        }));
    }
    Report("option change, output scrolled to its end", Median(atEnd));
    std::printf("  (first visible line after it: %d of %d)\n", output.firstVisibleLine(), output.lines());

    // Its parts, each on its own with the options as they are now.
    const COptions& options = doc.Options();
    const std::vector<CScriptPiece> pieces = SplitScript(input);
    CTokenList tokens;
    std::u16string result;
    Report("engine, one thread", MedianOf(runs, [&] {
               FormatInto(StandardLexicon(), input, pieces, options, MODE_FORMAT, {}, tokens, result, 1);
           }));
    const unsigned threads = CQuillmarkDoc::FormatThreads();
    std::u16string threaded;
    Report("engine, the document's threads", MedianOf(runs, [&] {
               FormatInto(StandardLexicon(), input, pieces, options, MODE_FORMAT, {}, tokens, threaded, threads);
           }));
    if (threaded != result)
        std::printf("  (!) the result on several threads differs from one thread's\n");
    Report("cutting into pieces (once per Format)", MedianOf(runs, [&] { (void)SplitScript(input); }));
    Report("result to UTF-8 for the editor", MedianOf(runs, [&] { (void)QStringView(result).toUtf8(); }));
    Report("editor: set the whole text", MedianOf(runs, [&] { output.SetWholeText(result); }));
    const QString text = QString::fromStdU16String(result);
    Report("editor: setText() (for comparison)", MedianOf(runs, [&] { output.setText(text); }));
    Report("editor: paint the visible part", MedianOf(
                                                 runs, [&] { output.viewport()->repaint(); },
                                                 [&] {
                                                     output.SetWholeText(result);
                                                     DrainEvents();
                                                     output.SendScintilla(QsciScintillaBase::SCI_CLEARDOCUMENTSTYLE);
                                                 }));
    Report("editor: style the whole text (not on the path)",
           MedianOf(
               runs, [&] { output.SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0L, -1L); },
               [&] { output.SendScintilla(QsciScintillaBase::SCI_CLEARDOCUMENTSTYLE); }));
    Report("editor: read the whole text", MedianOf(runs, [&] { (void)output.WholeText(); }));
    Report("margin box: re-indent the output", MedianOf(runs, [&] { doc.RefreshLeftMargin(); }));
    frame.close();
    return 0;
}
