// A standing figure with one arm raised in greeting, on a stepped round plinth (z up, units ~cm).
#include "statue.h"

#include <cmath>
#include <vector>

#include "image.h"

namespace assetgen {
namespace {

constexpr float kPi = 3.14159265f;
constexpr int kAround = 28;

// A closed grid surface: rows from one pole (or rim) to the other, `kAround` columns that wrap.
// Normals are averaged from the neighbouring faces, so curved parts shade smoothly.
void addGrid(MeshBuilder& mesh, const std::vector<std::vector<glm::vec3>>& grid) {
    const std::size_t rows = grid.size();
    const std::size_t cols = grid[0].size();
    std::vector<std::vector<glm::vec3>> normals(rows, std::vector<glm::vec3>(cols, glm::vec3(0)));
    for (std::size_t i = 0; i + 1 < rows; ++i) {
        for (std::size_t j = 0; j < cols; ++j) {
            const std::size_t jn = (j + 1) % cols;
            const glm::vec3 n0 = glm::cross(grid[i][jn] - grid[i][j], grid[i + 1][jn] - grid[i][j]);
            const glm::vec3 n1 =
                glm::cross(grid[i + 1][jn] - grid[i][j], grid[i + 1][j] - grid[i][j]);
            normals[i][j] += n0 + n1;
            normals[i][jn] += n0 + n1;
            normals[i + 1][j] += n0 + n1;
            normals[i + 1][jn] += n0 + n1;
        }
    }
    const auto vertex = [&](std::size_t i, std::size_t j) {
        const glm::vec3 n = normals[i][j % cols];
        const float len = glm::length(n);
        return MeshVertex{grid[i][j % cols],
                          len > 0.0f ? n / len : glm::vec3(0, 0, 1),
                          {static_cast<float>(j) / static_cast<float>(cols),
                           static_cast<float>(i) / static_cast<float>(rows - 1)}};
    };
    for (std::size_t i = 0; i + 1 < rows; ++i) {
        for (std::size_t j = 0; j < cols; ++j) {
            const MeshVertex a = vertex(i, j);
            const MeshVertex b = vertex(i, j + 1);
            const MeshVertex c = vertex(i + 1, j + 1);
            const MeshVertex d = vertex(i + 1, j);
            // Skip the slivers that collapse at a pole.
            if (glm::length(glm::cross(b.position - a.position, c.position - a.position)) > 1e-4f)
                mesh.addTriangle(a, b, c);
            if (glm::length(glm::cross(c.position - a.position, d.position - a.position)) > 1e-4f)
                mesh.addTriangle(a, c, d);
        }
    }
}

// An orthonormal frame around `axis`, for revolving profiles about any direction.
void frameOf(glm::vec3 axis, glm::vec3& u, glm::vec3& v) {
    const glm::vec3 helper = std::fabs(axis.z) < 0.9f ? glm::vec3(0, 0, 1) : glm::vec3(1, 0, 0);
    u = glm::normalize(glm::cross(helper, axis));
    v = glm::cross(axis, u);
}

// A limb: a tube from a to b whose radius goes from ra to rb, closed by half-spheres.
void addLimb(MeshBuilder& mesh, glm::vec3 a, glm::vec3 b, float ra, float rb) {
    const glm::vec3 axis = glm::normalize(b - a);
    glm::vec3 u, v;
    frameOf(axis, u, v);
    std::vector<std::vector<glm::vec3>> grid;
    constexpr int kCap = 6;
    constexpr int kBody = 8;
    const auto ringAt = [&](glm::vec3 centre, float radius) {
        std::vector<glm::vec3> ring;
        for (int j = 0; j < kAround; ++j) {
            const float t = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(kAround);
            ring.push_back(centre + radius * (std::cos(t) * u + std::sin(t) * v));
        }
        return ring;
    };
    // Pole rings get radius exactly 0, so that they close without slivers.
    for (int i = 0; i <= kCap; ++i) {
        const float ang = -0.5f * kPi + 0.5f * kPi * static_cast<float>(i) / kCap;
        grid.push_back(ringAt(a + axis * (ra * std::sin(ang)), i == 0 ? 0.0f : ra * std::cos(ang)));
    }
    for (int i = 1; i < kBody; ++i) {
        const float t = static_cast<float>(i) / kBody;
        grid.push_back(ringAt(glm::mix(a, b, t), ra + (rb - ra) * t));
    }
    for (int i = 0; i <= kCap; ++i) {
        const float ang = 0.5f * kPi * static_cast<float>(i) / kCap;
        grid.push_back(
            ringAt(b + axis * (rb * std::sin(ang)), i == kCap ? 0.0f : rb * std::cos(ang)));
    }
    addGrid(mesh, grid);
}

// An ellipsoid with semi-axes `radii` along x, y, z.
void addEllipsoid(MeshBuilder& mesh, glm::vec3 centre, glm::vec3 radii, int rows) {
    std::vector<std::vector<glm::vec3>> grid;
    for (int i = 0; i <= rows; ++i) {
        const float lat = -0.5f * kPi + kPi * static_cast<float>(i) / static_cast<float>(rows);
        std::vector<glm::vec3> ring;
        for (int j = 0; j < kAround; ++j) {
            const float lon = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(kAround);
            const float r = (i == 0 || i == rows) ? 0.0f : std::cos(lat);
            ring.push_back(centre +
                           radii * glm::vec3(r * std::cos(lon), r * std::sin(lon), std::sin(lat)));
        }
        grid.push_back(ring);
    }
    addGrid(mesh, grid);
}

// A body of revolution about the z axis from a (z, radius) profile listed bottom to top, with
// its cross-section squeezed to `depth` along y; ends are closed to the axis.
void addTorso(MeshBuilder& mesh, const std::vector<glm::vec2>& profile, float depth) {
    std::vector<std::vector<glm::vec3>> grid;
    const auto ringAt = [&](float z, float r) {
        std::vector<glm::vec3> ring;
        for (int j = 0; j < kAround; ++j) {
            const float t = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(kAround);
            ring.push_back({r * std::cos(t), r * depth * std::sin(t), z});
        }
        return ring;
    };
    grid.push_back(ringAt(profile.front().x, 0.0f));
    for (const glm::vec2& p : profile) grid.push_back(ringAt(p.x, p.y));
    grid.push_back(ringAt(profile.back().x, 0.0f));
    addGrid(mesh, grid);
}

// A plinth step: a cylinder with flat top and smooth sides (no bottom; it stands on the floor).
void addDrum(MeshBuilder& mesh, float z0, float z1, float radius) {
    const int n = kAround * 2;
    for (int j = 0; j < n; ++j) {
        const float t0 = 2.0f * kPi * static_cast<float>(j) / static_cast<float>(n);
        const float t1 = 2.0f * kPi * static_cast<float>(j + 1) / static_cast<float>(n);
        const glm::vec3 d0(std::cos(t0), std::sin(t0), 0.0f);
        const glm::vec3 d1(std::cos(t1), std::sin(t1), 0.0f);
        const float u0 = static_cast<float>(j) / static_cast<float>(n) * 4.0f;
        const float u1 = static_cast<float>(j + 1) / static_cast<float>(n) * 4.0f;
        const float v1 = (z1 - z0) / 40.0f;
        const MeshVertex a{radius * d0 + glm::vec3(0, 0, z0), d0, {u0, 0.0f}};
        const MeshVertex b{radius * d1 + glm::vec3(0, 0, z0), d1, {u1, 0.0f}};
        const MeshVertex c{radius * d1 + glm::vec3(0, 0, z1), d1, {u1, v1}};
        const MeshVertex d{radius * d0 + glm::vec3(0, 0, z1), d0, {u0, v1}};
        mesh.addTriangle(a, b, c);
        mesh.addTriangle(a, c, d);
        const glm::vec3 up(0, 0, 1);
        mesh.addTriangle(
            {{0, 0, z1}, up, {0.5f, 0.5f}},
            {radius * d0 + glm::vec3(0, 0, z1), up, {0.5f + 0.5f * d0.x, 0.5f + 0.5f * d0.y}},
            {radius * d1 + glm::vec3(0, 0, z1), up, {0.5f + 0.5f * d1.x, 0.5f + 0.5f * d1.y}});
    }
}

}  // namespace

MeshBuilder buildStatue() {
    MeshBuilder mesh;
    // Plinth: 26 high, widest step radius 36 (about 1.1 world units once drawn at 0.03).
    addDrum(mesh, 0.0f, 5.0f, 36.0f);
    addDrum(mesh, 5.0f, 22.0f, 31.0f);
    addDrum(mesh, 22.0f, 26.0f, 34.0f);

    // Feet and legs (the figure faces -y).
    for (float side : {-1.0f, 1.0f}) {
        addEllipsoid(mesh, {side * 9.0f, -4.0f, 29.5f}, {5.0f, 10.0f, 3.5f}, 12);
        addLimb(mesh, {side * 9.0f, 0.0f, 31.0f}, {side * 8.5f, 0.0f, 52.0f}, 5.0f, 6.5f);
        addLimb(mesh, {side * 8.5f, 0.0f, 52.0f}, {side * 8.0f, 0.5f, 76.0f}, 6.5f, 9.0f);
    }
    // Hips to shoulders, slightly flattened front to back.
    addTorso(mesh,
             {{70.0f, 14.0f},
              {76.0f, 16.0f},
              {84.0f, 14.5f},
              {92.0f, 13.0f},
              {100.0f, 15.0f},
              {108.0f, 17.0f},
              {114.0f, 17.5f},
              {118.0f, 14.0f},
              {120.0f, 7.0f}},
             0.62f);
    addLimb(mesh, {0.0f, 0.0f, 116.0f}, {0.0f, -0.5f, 127.0f}, 5.0f, 4.5f);
    addEllipsoid(mesh, {0.0f, -0.5f, 136.0f}, {8.5f, 9.5f, 11.0f}, 16);
    // Left arm hangs down; the right arm is raised, waving at whoever comes through the court.
    addLimb(mesh, {-17.0f, 0.0f, 113.0f}, {-20.0f, -1.0f, 92.0f}, 4.8f, 4.0f);
    addLimb(mesh, {-20.0f, -1.0f, 92.0f}, {-20.5f, -4.0f, 72.0f}, 4.0f, 3.3f);
    addEllipsoid(mesh, {-20.5f, -4.5f, 68.0f}, {3.2f, 4.0f, 5.0f}, 10);
    addLimb(mesh, {17.0f, 0.0f, 113.0f}, {27.0f, -3.0f, 125.0f}, 4.8f, 4.0f);
    addLimb(mesh, {27.0f, -3.0f, 125.0f}, {29.0f, -6.0f, 145.0f}, 4.0f, 3.3f);
    addEllipsoid(mesh, {29.3f, -6.5f, 150.0f}, {3.3f, 2.5f, 5.0f}, 10);
    return mesh;
}

bool writeStatue(const std::string& folder) {
    Image diffuse(256, 256), specular(256, 256);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const glm::vec2 p(static_cast<float>(x) / 256.0f, static_cast<float>(y) / 256.0f);
            // Pale marble: a warped sine gives the veins.
            const float warp = tiledFbm(p * 4.0f, 4, 5, 901);
            const float vein = std::fabs(std::sin((p.x * 2.0f + p.y + warp * 1.5f) * 2.0f * kPi));
            glm::vec3 c = glm::vec3(0.86f, 0.85f, 0.82f) * (0.9f + 0.1f * warp);
            c = glm::mix(glm::vec3(0.45f, 0.47f, 0.52f), c, glm::smoothstep(0.0f, 0.15f, vein));
            diffuse.set(x, y, c);
            specular.set(x, y, glm::vec3(0.8f));
        }
    }
    const MeshBuilder mesh = buildStatue();
    return mesh.writeObj(folder + "/statue.obj", "statue.mtl", "marble", "statue_diffuse.png",
                         "statue_specular.png", 64.0f) &&
           diffuse.writePng(folder + "/statue_diffuse.png") &&
           specular.writePng(folder + "/statue_specular.png");
}

}  // namespace assetgen
