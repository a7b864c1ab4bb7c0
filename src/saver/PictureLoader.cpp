// Temporary: the picture loader arrives with the JPEG decoder.
#include "saver/Unqv.h"

namespace vis {

void TFmqv::LoadPicturePair() {
    PicturesLoaded = true;
    SlideState = 1;
}

} // namespace vis
