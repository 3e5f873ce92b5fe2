#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <vector>
#include "dsp/DspEngine.h"
#include "params/DistortionParameters.h"
using namespace marrowfold;
int main(int argc, char** argv) {
    int factor = atoi(argv[1]);
    int iters = argc > 2 ? atoi(argv[2]) : 20000;
    DistortionParameters model;
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    DspEngine engine(512, 2, 44100.0, 2);
    engine.useKernelSet(KernelSet::Avx512);
    engine.requestOversampling(factor);
    engine.applyChanges(model);
    std::vector<float> a(512), b(512), c(512), d(512);
    for (int i = 0; i < 512; ++i) { a[i] = (rand() / (float)RAND_MAX) * 2 - 1; b[i] = (rand() / (float)RAND_MAX) * 2 - 1; }
    float* in[2] = {a.data(), b.data()};
    float* out[2] = {c.data(), d.data()};
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < iters; ++i) engine.process(in, out, 512, OutputMode::Replace);
    auto t1 = std::chrono::steady_clock::now();
    printf("factor %d: %.0f ns per block\n", factor, std::chrono::duration<double, std::nano>(t1 - t0).count() / iters);
}
