// Matrix multiply and point transform through the math library, each beside a plain loop doing the
// same arithmetic on raw float arrays: the ratio shows what the library's calls cost.

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace platform;

namespace
{

constexpr int kCount = 1024;

std::vector<Matrix> MakeMatrices()
{
    std::vector<Matrix> matrices(kCount);
    for (int i = 0; i < kCount; ++i)
    {
        Matrix rotation, translation;
        MatrixRotationYawPitchRoll(&rotation, 0.01f * i, 0.02f * i, 0.03f * i);
        MatrixTranslation(&translation, 1.0f * i, 2.0f, -3.0f);
        matrices[i] = rotation * translation;
    }
    return matrices;
}

std::vector<Vector3> MakePoints()
{
    std::vector<Vector3> points(kCount);
    for (int i = 0; i < kCount; ++i)
        points[i] = Vector3(0.5f * i, -0.25f * i, 1.0f + i);
    return points;
}

void MatrixMultiplyLibrary(benchmark::State& state)
{
    const std::vector<Matrix> a = MakeMatrices();
    std::vector<Matrix> out(kCount);
    for (auto _ : state)
    {
        for (int i = 0; i < kCount; ++i)
            MatrixMultiply(&out[i], &a[i], &a[kCount - 1 - i]);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(MatrixMultiplyLibrary);

void MatrixMultiplyPlainLoop(benchmark::State& state)
{
    const std::vector<Matrix> matrices = MakeMatrices();
    std::vector<float> a(kCount * 16), out(kCount * 16);
    for (int i = 0; i < kCount; ++i)
        for (int j = 0; j < 16; ++j)
            a[i * 16 + j] = matrices[i].m[j / 4][j % 4];
    for (auto _ : state)
    {
        for (int i = 0; i < kCount; ++i)
        {
            const float* x = &a[i * 16];
            const float* y = &a[(kCount - 1 - i) * 16];
            float* r = &out[i * 16];
            for (int row = 0; row < 4; ++row)
                for (int col = 0; col < 4; ++col)
                    r[row * 4 + col] = x[row * 4] * y[col] + x[row * 4 + 1] * y[4 + col] +
                                       x[row * 4 + 2] * y[8 + col] + x[row * 4 + 3] * y[12 + col];
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(MatrixMultiplyPlainLoop);

void TransformCoordLibrary(benchmark::State& state)
{
    const Matrix m = MakeMatrices()[7];
    const std::vector<Vector3> points = MakePoints();
    std::vector<Vector3> out(kCount);
    for (auto _ : state)
    {
        for (int i = 0; i < kCount; ++i)
            Vec3TransformCoord(&out[i], &points[i], &m);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(TransformCoordLibrary);

void TransformCoordPlainLoop(benchmark::State& state)
{
    const Matrix matrix = MakeMatrices()[7];
    float m[16];
    for (int j = 0; j < 16; ++j)
        m[j] = matrix.m[j / 4][j % 4];
    const std::vector<Vector3> source = MakePoints();
    std::vector<float> points(kCount * 3), out(kCount * 3);
    for (int i = 0; i < kCount; ++i)
    {
        points[i * 3] = source[i].x;
        points[i * 3 + 1] = source[i].y;
        points[i * 3 + 2] = source[i].z;
    }
    for (auto _ : state)
    {
        for (int i = 0; i < kCount; ++i)
        {
            const float x = points[i * 3], y = points[i * 3 + 1], z = points[i * 3 + 2];
            const float w = x * m[3] + y * m[7] + z * m[11] + m[15];
            const float inv = 1.0f / w;
            out[i * 3] = (x * m[0] + y * m[4] + z * m[8] + m[12]) * inv;
            out[i * 3 + 1] = (x * m[1] + y * m[5] + z * m[9] + m[13]) * inv;
            out[i * 3 + 2] = (x * m[2] + y * m[6] + z * m[10] + m[14]) * inv;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(TransformCoordPlainLoop);

} // namespace
