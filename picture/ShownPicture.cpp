#include "picture/ShownPicture.h"

#include "picture/DataFolder.h"

void TShownPicture::Show(const QString& fileName, const Use& use)
{
    // The stamp and the reading follow the file that the name stands for.
    const QString filePath = PictureFilePath(fileName);
    const TFileStamp stamp = StampOf(filePath);
    if (failureReported == stamp)
        return;
    // Until the picture has been used, whatever fails from here on is reported this once.
    failureReported = stamp;
    if (pictureRead != stamp) {
        pictureRead.reset();
        picture = TBitmap();
        picture.LoadPictureFile(filePath);
        pictureRead = stamp;
    }
    use(picture, stamp.AbsoluteName);
    failureReported.reset();
}

void TShownPicture::ShownAnew()
{
    failureReported.reset();
}
