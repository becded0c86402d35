#pragma once
// What the test printer made: the private CUPS daemon of the test environment keeps every job's PDF in
// $KELVOR_PRINT_OUT as job-<id>.pdf. Read back with poppler's tools: the words with their places, the
// page count, a page as pixels.
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <string>
#include <vector>

namespace kelvor::testing {

struct PdfWord {
    double x, y; // top-left corner in points (1/72 inch) from the page's top-left corner
    std::string text;
};

class PrintOutput {
  public:
    PrintOutput() : dir_(qEnvironmentVariable("KELVOR_PRINT_OUT")) { seen_ = jobs().size(); }
    // False outside the test environment (no private printer).
    bool available() const { return !dir_.isEmpty() && QDir(dir_).exists(); }

    // The jobs that arrived since the last call (or since construction), in the order they were
    // printed; waits for `count` of them and for the queue to be empty.
    QStringList new_jobs(int count) {
        QElapsedTimer timer;
        timer.start();
        // A generous guard for a loaded machine; a job normally arrives within a second.
        while ((static_cast<int>(jobs().size() - seen_) < count || queue_busy()) && timer.elapsed() < 60000)
            QThread::msleep(50);
        const QStringList all = jobs();
        const QStringList fresh = all.mid(static_cast<qsizetype>(seen_));
        seen_ = all.size();
        return fresh;
    }

    static std::string run(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        p.waitForFinished(60000);
        return p.readAllStandardOutput().toStdString();
    }
    static int pages(const QString& pdf) {
        const QRegularExpression re(QStringLiteral("Pages:\\s+(\\d+)"));
        const auto m = re.match(QString::fromStdString(run("pdfinfo", {pdf})));
        return m.hasMatch() ? m.captured(1).toInt() : -1;
    }
    // Every word on every page (or on page `page` only), in the order pdftotext reads them.
    static std::vector<PdfWord> words(const QString& pdf, int page = 0) {
        QStringList args{"-bbox", pdf, "-"};
        if (page > 0) args << "-f" << QString::number(page) << "-l" << QString::number(page);
        const QString html = QString::fromStdString(run("pdftotext", args));
        const QRegularExpression re(
            QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
        std::vector<PdfWord> out;
        for (auto it = re.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            QString text = m.captured(3);
            // Ligatures ("ff" in "Offset") come back as their compatibility characters.
            text = text.normalized(QString::NormalizationForm_KC);
            text.replace("&amp;", "&").replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"");
            out.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), text.toStdString()});
        }
        return out;
    }
    static QImage page_image(const QString& pdf, int page, int dpi) {
        const QString base =
            QDir::temp().filePath(QStringLiteral("kelvor-page-%1").arg(QCoreApplication::applicationPid()));
        run("pdftoppm", {"-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page),
                         "-singlefile", "-png", pdf, base});
        QImage image(base + ".png");
        QFile::remove(base + ".png");
        return image;
    }

  private:
    QStringList jobs() const {
        QStringList names = QDir(dir_).entryList({"job-*.pdf"}, QDir::Files);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.mid(4).chopped(4).toInt() < b.mid(4).chopped(4).toInt();
        });
        for (QString& n : names)
            n = QDir(dir_).filePath(n);
        return names;
    }
    static bool queue_busy() { return !run("lpstat", {"-o"}).empty(); }

    QString dir_;
    qsizetype seen_ = 0;
};

} // namespace kelvor::testing
