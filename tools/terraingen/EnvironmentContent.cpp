#include "tools/terraingen/EnvironmentContent.h"

#include "tools/ddswriter/DdsWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace
{

uint32_t Argb(float a, float r, float g, float b)
{
    const auto channel = [](float v)
    {
        v = v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
        return static_cast<uint32_t>(std::lround(v * 255.0f));
    };
    return channel(a) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// Smooth value noise on a wrapping lattice, from an integer hash: the same values on every machine.
float Lattice(int x, int y, int z, int period)
{
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    z = ((z % period) + period) % period;
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 static_cast<uint32_t>(z) * 83492791u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h >> 8) & 0xFFFF) / 65535.0f;
}

float Noise(float x, float y, float z, int period)
{
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    const int z0 = static_cast<int>(std::floor(z));
    const auto fade = [](float t) { return t * t * (3.0f - 2.0f * t); };
    const float fx = fade(x - x0), fy = fade(y - y0), fz = fade(z - z0);
    float result = 0.0f;
    for (int corner = 0; corner < 8; ++corner)
    {
        const int dx = corner & 1, dy = (corner >> 1) & 1, dz = (corner >> 2) & 1;
        const float w = (dx ? fx : 1.0f - fx) * (dy ? fy : 1.0f - fy) * (dz ? fz : 1.0f - fz);
        result += w * Lattice(x0 + dx, y0 + dy, z0 + dz, period);
    }
    return result;
}

// A side of the sky: deep blue at the top to pale at the horizon, low hills along it and green-grey land
// below; the hills' shapes (and a faint tint) differ per face, meeting at the faces' edges.
std::vector<uint32_t> SkySide(uint32_t size, float tint)
{
    constexpr float kPi = 3.14159265f;
    std::vector<uint32_t> texels;
    for (uint32_t y = 0; y < size; ++y)
    {
        // The side spans y from -50 (bottom row) to 100: the horizon lies a third of the way up.
        const float up = 1.0f - static_cast<float>(y) / static_cast<float>(size - 1);
        for (uint32_t x = 0; x < size; ++x)
        {
            const float across = (static_cast<float>(x) + 0.5f) / static_cast<float>(size);
            const float s1 = std::sin(kPi * across);
            const float s3 = std::sin(3.0f * kPi * across + tint * 20.0f * kPi) * std::sin(kPi * across);
            const float hills = 1.0f / 3.0f + 0.02f * s1 * s1 + 0.012f * s3 * s3;
            if (up < 1.0f / 3.0f)
            {
                const float down = (1.0f / 3.0f - up) * 3.0f;
                texels.push_back(Argb(1.0f, 0.42f - 0.12f * down, 0.5f - 0.12f * down, 0.36f - 0.1f * down));
            }
            else if (up < hills)
                texels.push_back(Argb(1.0f, 0.45f + tint * 0.2f, 0.55f, 0.5f));
            else
            {
                const float h = (up - 1.0f / 3.0f) * 1.5f;
                texels.push_back(
                    Argb(1.0f, 0.8f - 0.5f * h + tint * 0.2f, 0.88f - 0.38f * h, 0.97f - 0.1f * h));
            }
        }
    }
    return texels;
}

std::vector<uint32_t> Solid(uint32_t count, uint32_t colour)
{
    return std::vector<uint32_t>(count, colour);
}

std::vector<uint32_t> Clouds(uint32_t size)
{
    std::vector<uint32_t> texels;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x)
        {
            const float fx = static_cast<float>(x) / size * 8.0f, fy = static_cast<float>(y) / size * 8.0f;
            const float n = 0.6f * Noise(fx, fy, 0.0f, 8) + 0.4f * Noise(fx * 2.0f, fy * 2.0f, 3.0f, 16);
            const float alpha = std::max(0.0f, (n - 0.45f) * 3.0f);
            texels.push_back(Argb(alpha, 1.0f, 1.0f, 1.0f));
        }
    return texels;
}

// Full colour at the centre, fading to transparent at the edge; a ring peaks at the given radius.
std::vector<uint32_t> Round(uint32_t size, float r, float g, float b, float ring)
{
    std::vector<uint32_t> texels;
    const float c = (static_cast<float>(size) - 1.0f) / 2.0f;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x)
        {
            const float d = std::hypot(static_cast<float>(x) - c, static_cast<float>(y) - c) / c;
            float alpha = ring > 0.0f ? 1.0f - std::fabs(d - ring) * 6.0f : 1.0f - d * d;
            alpha = std::max(0.0f, std::min(1.0f, alpha));
            texels.push_back(Argb(alpha, r, g, b));
        }
    return texels;
}

// A flare picture: its layers are added onto the scene, which ignores alpha, so the fade is carried in
// the colour itself (black where the picture is transparent).
std::vector<uint32_t> Glow(uint32_t size, float r, float g, float b, float ring)
{
    std::vector<uint32_t> texels = Round(size, r, g, b, ring);
    for (uint32_t& texel : texels)
    {
        const float alpha = static_cast<float>(texel >> 24) / 255.0f;
        texel = Argb(alpha, r * alpha, g * alpha, b * alpha);
    }
    return texels;
}

std::vector<uint32_t> NoiseVolume(uint32_t size)
{
    std::vector<uint32_t> texels;
    for (uint32_t z = 0; z < size; ++z)
        for (uint32_t y = 0; y < size; ++y)
            for (uint32_t x = 0; x < size; ++x)
            {
                const float s = 4.0f / size;
                const float a = Noise(x * s, y * s, z * s, 4);
                const float b = Noise(x * s + 1.7f, y * s, z * s, 4);
                const float c = Noise(x * s, y * s + 2.3f, z * s, 4);
                texels.push_back(Argb(1.0f, a, b, c));
            }
    return texels;
}

} // namespace

std::string EnvironmentContent::WaterEffect()
{
    // States: 27 alpha blending, 19 and 20 the blend factors (source alpha, inverse source alpha),
    // 137 lighting, 14 depth writes, 22 culling (none: the grid's triangles face either way). D3D's clip
    // depth runs 0..w, OpenGL's -w..w.
    const std::string states = "renderstate 27 1\nrenderstate 19 5\nrenderstate 20 6\nrenderstate 137 0\n"
                               "renderstate 14 0\nrenderstate 22 1\n";
    // The noise volume takes the second unit (samplers in the order of their names); filtered min (6), mag (5)
    // and mip (7) linear, the ripples are smooth instead of showing its texels as blocks.
    const std::string noiseSampling = "samplerstate 1 6 2\nsamplerstate 1 5 2\nsamplerstate 1 7 2\n";
    const std::string vertex = "vertexshader\n"
                               "#version 120\n"
                               "uniform mat4 WorldViewProjection;\n"
                               "uniform mat4 WorldView;\n"
                               "varying vec3 place;\n"
                               "varying vec3 eyeSpace;\n"
                               "void main() {\n"
                               "    place = gl_Vertex.xyz;\n"
                               "    eyeSpace = (WorldView * gl_Vertex).xyz;\n"
                               "    vec4 p = WorldViewProjection * gl_Vertex;\n"
                               "    p.z = p.z * 2.0 - p.w;\n"
                               "    gl_Position = p;\n"
                               "}\n"
                               "endshader\n";
    const auto fragment = [](bool noise, float mirror)
    {
        std::string text = "fragmentshader\n"
                           "#version 120\n"
                           "uniform samplerCube EnvironmentMap;\n"
                           "uniform sampler3D NoiseMap;\n"
                           "uniform float time;\n"
                           "uniform vec4 vViewPosition;\n"
                           "varying vec3 place;\n"
                           "varying vec3 eyeSpace;\n"
                           "void main() {\n"
                           "    vec3 n = vec3(0.0, 1.0, 0.0);\n";
        if (noise)
            text += "    vec3 ripple = texture3D(NoiseMap, vec3(place.xz * 0.004, time * 0.05)).rgb - 0.5;\n"
                    "    n = normalize(n + vec3(ripple.x, 0.0, ripple.z) * 0.4);\n";
        text += "    vec3 view = normalize(place - vViewPosition.xyz);\n"
                "    vec3 sky = textureCube(EnvironmentMap, reflect(view, n)).rgb;\n"
                "    vec3 deep = vec3(0.05, 0.22, 0.35);\n"
                "    gl_FragColor = vec4(mix(deep, sky, " +
                std::to_string(mirror).substr(0, 4) +
                "), 0.8);\n"
                "}\n"
                "endshader\n";
        return text;
    };
    return "// Water: a reflection of the environment over a deep colour, rippled by the noise volume.\n"
           "technique TWater_20\npass Surface\n" +
           states + noiseSampling + vertex + fragment(true, 0.45f) + "technique TWater_14\npass Surface\n" +
           states + noiseSampling + vertex + fragment(true, 0.35f) + "technique TWater_11\npass Surface\n" +
           states + vertex + fragment(false, 0.3f);
}

bool EnvironmentContent::Write(const std::string& folder, std::string& error)
{
    const std::filesystem::path root(folder);
    for (const char* sub : {kWaterFolder, kSkyFolder, kBillboardFolder})
    {
        std::error_code ignored;
        std::filesystem::create_directories(root / sub, ignored);
    }
    std::vector<std::pair<std::string, std::string>> files;
    const std::string water = kWaterFolder;
    files.emplace_back(water + "water_PS20_11.fx", WaterEffect());
    files.emplace_back(water + "noisevolume.dds", DdsWriter::Volume(16, 16, 16, NoiseVolume(16)));
    std::vector<uint32_t> snow[6];
    for (uint32_t face = 0; face < 6; ++face)
        // +Y is the bright sky, -Y the dark ground, the sides in between.
        snow[face] = face == 2   ? Solid(32 * 32, Argb(1.0f, 0.85f, 0.9f, 1.0f))
                     : face == 3 ? Solid(32 * 32, Argb(1.0f, 0.2f, 0.25f, 0.2f))
                                 : SkySide(32, 0.0f);
    files.emplace_back(water + "snow.dds", DdsWriter::Cube(32, snow));
    files.emplace_back(water + "fallback.dds",
                       DdsWriter::Texture2D(16, 16, Solid(16 * 16, Argb(0.75f, 0.1f, 0.3f, 0.5f))));

    const std::string sky = kSkyFolder;
    const float tints[4] = {0.0f, 0.04f, 0.08f, 0.12f};
    for (int face = 0; face < 4; ++face)
        files.emplace_back(sky + kSkyFaces[face], DdsWriter::Texture2D(64, 64, SkySide(64, tints[face])));
    files.emplace_back(sky + kSkyFaces[4],
                       DdsWriter::Texture2D(64, 64, Solid(64 * 64, Argb(1.0f, 0.2f, 0.4f, 0.85f))));
    files.emplace_back(sky + kClouds, DdsWriter::Texture2D(128, 128, Clouds(128)));

    const std::string board = kBillboardFolder;
    files.emplace_back(board + kSunDisc, DdsWriter::Texture2D(64, 64, Round(64, 1.0f, 0.95f, 0.7f, 0.0f)));
    files.emplace_back(board + kFlareRing, DdsWriter::Texture2D(64, 64, Glow(64, 0.5f, 1.0f, 0.6f, 0.7f)));
    files.emplace_back(board + kFlareGlow, DdsWriter::Texture2D(32, 32, Glow(32, 0.6f, 0.7f, 1.0f, 0.0f)));

    for (const auto& [name, bytes] : files)
    {
        if (!DdsWriter::Save((root / name).string(), bytes))
        {
            error = name;
            return false;
        }
    }
    return true;
}
