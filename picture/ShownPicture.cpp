// SPDX-FileCopyrightText: 2026 Projet Sondelio
// SPDX-License-Identifier: GPL-3.0-or-later

#include "picture/ShownPicture.h"

#include "picture/DataFolder.h"
#include "picture/PictureFile.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

#include <atomic>
#include <cstdlib>
#include <stop_token>
#include <thread>

namespace {

// The busy cursor over the program's windows while it lives, on the interface thread of a
// program with windows: the wait cursor while the program waits, the pointer with an hourglass
// while it works behind windows that still answer.
class BusyCursor {
public:
    explicit BusyCursor(Qt::CursorShape shape = Qt::WaitCursor)
        : shown(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
                QThread::currentThread() == QCoreApplication::instance()->thread())
    {
        if (shown)
            QGuiApplication::setOverrideCursor(QCursor(shape));
    }
    ~BusyCursor()
    {
        if (shown)
            QGuiApplication::restoreOverrideCursor();
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    const bool shown;
};

// The file read from its start, giving no more bytes once a stop is asked for: the decoder then
// ends the picture without its data, which is quick, and what it gives is thrown away.
class StoppableStream final : public QIODevice {
public:
    StoppableStream(QIODevice& source, std::stop_token stop) : source(source), stop(std::move(stop))
    {
        source.seek(0);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return source.size(); }
    bool seek(qint64 at) override { return QIODevice::seek(at) && source.seek(at); }

protected:
    qint64 readData(char* data, qint64 most) override
    {
        return stop.stop_requested() ? -1 : source.read(data, most);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& source;
    const std::stop_token stop;
};

}  // namespace

// The whole picture read on its own thread from the file the reduced one was read from, kept
// open until then: no other program writes it while it is open (see PictureFile).
struct TShownPicture::WholeReading {
    std::unique_ptr<PictureFile> file;
    TBitmap picture;
    std::exception_ptr failure;
    std::atomic<bool> ended = false;
    std::optional<BusyCursor> busy;
    // Last, so that it is stopped and joined before the rest goes.
    std::jthread thread;
};

TShownPicture::TShownPicture(std::function<void()> wholePictureCame)
    : wholePictureCame(std::move(wholePictureCame))
{
}

// The reading, the last member, goes first: its thread is stopped and joined while the receiver
// of its word still lives.
TShownPicture::~TShownPicture() = default;

void TShownPicture::Show(const QString& fileName, const Use& use, const ShownSize& shownSize)
{
    // The stamp and the reading follow the file that the name stands for.
    const QString filePath = PictureFilePath(fileName);
    const TFileStamp stamp = StampOf(filePath);
    if (failureReported == stamp)
        return;
    // Until the picture has been used, whatever fails from here on is reported this once.
    failureReported = stamp;
    if (pictureRead == stamp && wholeFailure)
        DropFailedPicture();
    // A photo read reduced for a screen less dense than the one it is now shown on is read
    // again: enlarged, it would show its pixels as blocks.
    if (pictureRead == stamp && shownSize && shown.Image().size() != pictureSize) {
        const QSize least = shownSize(pictureSize);
        if (shown.Width() < least.width() || shown.Height() < least.height())
            pictureRead.reset();
    }
    // A picture read now may take seconds, and its first use (scaling a photo to the window)
    // too: the pointer says so until both are done.
    std::optional<BusyCursor> busy;
    if (pictureRead != stamp) {
        std::vector<TBitmap> before = Forget();
        busy.emplace();
        ReadAnew(filePath, shownSize, std::move(before));
        pictureRead = stamp;
    }
    use(shown, pictureSize, stamp.AbsoluteName);
    busy.reset();
    if (reading && !reading->busy)
        reading->busy.emplace(Qt::BusyCursor);
    failureReported.reset();
}

void TShownPicture::ReadAnew(const QString& filePath, const ShownSize& shownSize, std::vector<TBitmap> before)
{
    auto file = std::make_unique<PictureFile>(filePath);
    QIODevice& stream = file->Stream();
    // The size the window shows the picture at follows from its own, which its header tells.
    const QSize size = shownSize ? PictureStreamSize(stream) : QSize();
    stream.seek(0);
    // Only a JPEG is read reduced.
    if (size.isEmpty() || !stream.peek(2).startsWith("\xFF\xD8"))
        before.clear();
    shown.ReadPictureStream(stream, file->FullName(), size.isEmpty() ? QSize() : shownSize(size));
    pictureSize = QSize(shown.Header().width, std::abs(shown.Header().height));
    if (pictureSize == shown.Image().size()) {
        whole = shown;
        return;
    }
    reading = std::make_unique<WholeReading>();
    reading->file = std::move(file);
    const quint64 number = ++readingsStarted;
    reading->thread = std::jthread([this, number, work = reading.get(), before = std::move(before)](std::stop_token stop) mutable {
        before.clear();
        try {
            StoppableStream whole(work->file->Stream(), stop);
            work->picture.ReadPictureStream(whole, work->file->FullName());
        } catch (...) {
            work->failure = std::current_exception();
        }
        // A program waiting to write the file goes on now.
        work->file.reset();
        work->ended = true;
        if (!stop.stop_requested())
            QMetaObject::invokeMethod(&receiver, [this, number] { WholeReadingEnded(number); }, Qt::QueuedConnection);
    });
}

void TShownPicture::WholeReadingEnded(quint64 readingNumber)
{
    if (readingNumber == readingsStarted && TakeWhole() && wholePictureCame)
        wholePictureCame();
}

bool TShownPicture::TakeWhole()
{
    if (!reading)
        return false;
    {
        std::optional<BusyCursor> waiting;
        if (!reading->ended)
            waiting.emplace();
        reading->thread.join();
    }
    if (reading->failure)
        wholeFailure = reading->failure;
    else
        whole = std::move(reading->picture);
    reading.reset();
    return true;
}

const TBitmap& TShownPicture::Whole()
{
    if (TakeWhole() && wholePictureCame)
        wholePictureCame();
    if (wholeFailure) {
        failureReported = pictureRead;
        DropFailedPicture();
    }
    return whole;
}

void TShownPicture::DropFailedPicture()
{
    const std::exception_ptr failure = wholeFailure;
    Forget();
    std::rethrow_exception(failure);
}

std::vector<TBitmap> TShownPicture::Forget()
{
    reading.reset();
    std::vector<TBitmap> pictures;
    pictures.push_back(std::exchange(shown, TBitmap()));
    pictures.push_back(std::exchange(whole, TBitmap()));
    pictureSize = QSize();
    wholeFailure = nullptr;
    pictureRead.reset();
    return pictures;
}

void TShownPicture::ShownAnew()
{
    failureReported.reset();
}

void TShownPicture::WindowClosed()
{
    if (reading)
        Forget();
}
