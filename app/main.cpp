#include "app/CTessaroApp.h"
#include "io/AtomicWrite.h"

int main(int argc, char* argv[]) {
    tessaro::IgnoreFileSizeSignal();
    CTessaroApp app(argc, argv);
    app.InitInstance();
    return app.exec();
}
