#include "app/Application.h"
#include "io/AtomicWrite.h"

int main(int argc, char* argv[]) {
    tessaro::IgnoreFileSizeSignal();
    tessaro::Application app(argc, argv);
    return app.Run();
}
