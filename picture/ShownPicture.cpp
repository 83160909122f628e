#include "picture/ShownPicture.h"

void TShownPicture::Show(const QString& fileName, const Use& use)
{
    const TFileStamp stamp = StampOf(fileName);
    if (failureReported == stamp)
        return;
    // Until the picture has been used, whatever fails from here on is reported this once.
    failureReported = stamp;
    if (pictureRead != stamp) {
        pictureRead.reset();
        picture = TBitmap();
        picture.LoadPictureFile(fileName);
        pictureRead = stamp;
    }
    use(picture, stamp.AbsoluteName);
    failureReported.reset();
}

void TShownPicture::ShownAnew()
{
    failureReported.reset();
}
