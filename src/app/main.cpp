// Lumigram: views and converts a phone's skin pictures, and unpacks and packs
// its skin packages. The program reads no command line and keeps no settings.
#include "app/error_box.h"
#include "app/sdi_main.h"

int main(int argc, char** argv) {
    lumigram::TApplication application(argc, argv);
    lumigram::TSDIAppForm SDIAppForm;
    SDIAppForm.show();
    return lumigram::TApplication::exec();
}
