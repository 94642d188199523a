// Writes the seed corpus of kqel_fuzz: small files in each form.
#include <string>

#include "file/kqel.h"

using namespace qelsdk_600;

namespace {

void Write(KQel& q) {
    q.FieldWriteBegin("Doc");
    q.FieldWriteC("Model::Cube");
    q.FieldWriteCH('x');
    q.FieldWriteBlockBegin();
    q.FieldWriteBegin("A");
    q.FieldWriteI(1);
    q.FieldWriteLL(1LL << 40);
    q.FieldWriteF(0.5f);
    q.FieldWriteD(0.25);
    q.FieldWriteT(KTime(12345));
    q.FieldWriteBlockBegin();
    q.FieldWriteBegin("B");
    q.FieldWriteC("text \"quoted\"\n");
    q.FieldWriteR("\0\1raw", 5);
    q.FieldWriteEnd();
    q.FieldWriteBlockEnd();
    q.FieldWriteEnd();
    q.FieldWriteBlockEnd();
    q.FieldWriteEnd();
    for (int i = 0; i < 3; ++i) {
        q.FieldWriteBegin("Data");
        q.FieldWriteD(i);
        q.FieldWriteEnd();
    }
    // Runs of values stored in 1, 2, 4 and 8 bytes, beside single values.
    q.FieldWriteBegin("Runs");
    for (int i = 0; i < 20; ++i) q.FieldWriteI(i - 10);
    for (int i = 0; i < 20; ++i) q.FieldWriteI(i * 3000);
    q.FieldWriteC("between");
    for (int i = 0; i < 20; ++i) q.FieldWriteD(i * 0.5);
    for (int i = 0; i < 20; ++i) q.FieldWriteD(i * 0.1);
    for (int i = 0; i < 10; ++i) q.FieldWriteLL((1LL << 40) * i);
    for (int i = 0; i < 10; ++i) q.FieldWriteCH(static_cast<char>('a' + i));
    q.FieldWriteEnd();
}

// A run long enough to be deflated.
void WriteDeflated(KQel& q) {
    q.FieldWriteBegin("Z");
    for (int i = 0; i < 1200; ++i) q.FieldWriteD(i % 8);
    q.FieldWriteEnd();
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir = argc > 1 ? argv[1] : ".";
    const struct {
        const char* name;
        bool binary, encrypted, password, deflated;
    } seeds[] = {
        {"text.qel", false, false, false, false},
        {"binary.qel", true, false, false, false},
        {"enciphered.qel", true, true, false, false},
        {"password.qel", true, true, true, false},
        {"deflated.qel", true, false, false, true},
    };
    for (const auto& s : seeds) {
        KQel q;
        q.SetDeflateRuns(s.deflated);
        if (!q.ProjectCreate((dir + "/" + s.name).c_str(), s.binary, s.encrypted, nullptr)) return 1;
        Write(q);
        if (s.deflated) WriteDeflated(q);
        if (s.password) q.WritePassword("pw");
        q.ProjectCloseSection();
        if (q.ProjectCreateExtensionSection(false)) {
            q.FieldWriteBegin("Summary");
            q.FieldWriteI(101);
            q.FieldWriteEnd();
        }
        if (!q.ProjectClose()) return 1;
    }
    return 0;
}
