#ifndef MATERIALX_TYPES_H
#define MATERIALX_TYPES_H

/// @file
/// Data type classes

#include <MaterialXCore/Library.h>

#include <array>
#include <cmath>
#include <cstddef>

MATERIALX_NAMESPACE_BEGIN

extern MX_CORE_API const string DEFAULT_TYPE_STRING;
extern MX_CORE_API const string FILENAME_TYPE_STRING;
extern MX_CORE_API const string GEOMNAME_TYPE_STRING;
extern MX_CORE_API const string STRING_TYPE_STRING;
extern MX_CORE_API const string BSDF_TYPE_STRING;
extern MX_CORE_API const string EDF_TYPE_STRING;
extern MX_CORE_API const string VDF_TYPE_STRING;
extern MX_CORE_API const string SURFACE_SHADER_TYPE_STRING;
extern MX_CORE_API const string DISPLACEMENT_SHADER_TYPE_STRING;
extern MX_CORE_API const string VOLUME_SHADER_TYPE_STRING;
extern MX_CORE_API const string LIGHT_SHADER_TYPE_STRING;
extern MX_CORE_API const string MATERIAL_TYPE_STRING;
extern MX_CORE_API const string SURFACE_MATERIAL_NODE_STRING;
extern MX_CORE_API const string VOLUME_MATERIAL_NODE_STRING;
extern MX_CORE_API const string MULTI_OUTPUT_TYPE_STRING;
extern MX_CORE_API const string NONE_TYPE_STRING;
extern MX_CORE_API const string VALUE_STRING_TRUE;
extern MX_CORE_API const string VALUE_STRING_FALSE;
extern MX_CORE_API const string NAME_PREFIX_SEPARATOR;
extern MX_CORE_API const string NAME_PATH_SEPARATOR;
extern MX_CORE_API const string ARRAY_VALID_SEPARATORS;
extern MX_CORE_API const string ARRAY_PREFERRED_SEPARATOR;

/// The base class for vectors of scalar values
class VectorBase
{
};

/// A tag class for constructing vectors and matrices without initialization
class Uninit
{
};

/// The class template for vectors of scalar values.  V is the derived vector
/// class, S the scalar type, N the number of elements.
template <class V, class S, size_t N> class VectorN : public VectorBase
{
  public:
    using Iterator = typename std::array<S, N>::iterator;
    using ConstIterator = typename std::array<S, N>::const_iterator;

    VectorN() :
        arr_{}
    {
    }
    explicit VectorN(Uninit) {}
    explicit VectorN(S s) { arr_.fill(s); }
    explicit VectorN(const std::array<S, N>& arr) :
        arr_(arr)
    {
    }
    explicit VectorN(const vector<S>& vec) :
        arr_{}
    {
        std::copy_n(vec.begin(), std::min(vec.size(), N), arr_.begin());
    }
    explicit VectorN(const S* begin, const S* end) :
        arr_{}
    {
        std::copy_n(begin, std::min(size_t(end - begin), N), arr_.begin());
    }

    bool operator==(const V& rhs) const { return arr_ == rhs.arr_; }
    bool operator!=(const V& rhs) const { return arr_ != rhs.arr_; }
    bool operator<(const V& rhs) const { return arr_ < rhs.arr_; }

    S& operator[](size_t i) { return arr_[i]; }
    const S& operator[](size_t i) const { return arr_[i]; }

    V operator+(const V& rhs) const
    {
        return combine(rhs, [](S a, S b) { return a + b; });
    }
    VectorN& operator+=(const V& rhs) { return assign(*this + rhs); }
    V operator-(const V& rhs) const
    {
        return combine(rhs, [](S a, S b) { return a - b; });
    }
    VectorN& operator-=(const V& rhs) { return assign(*this - rhs); }
    V operator*(const V& rhs) const
    {
        return combine(rhs, [](S a, S b) { return a * b; });
    }
    VectorN& operator*=(const V& rhs) { return assign(*this * rhs); }
    V operator/(const V& rhs) const
    {
        return combine(rhs, [](S a, S b) { return a / b; });
    }
    VectorN& operator/=(const V& rhs) { return assign(*this / rhs); }
    V operator*(S s) const
    {
        return combine(V(s), [](S a, S b) { return a * b; });
    }
    VectorN& operator*=(S s) { return assign(*this * s); }
    V operator/(S s) const
    {
        return combine(V(s), [](S a, S b) { return a / b; });
    }
    VectorN& operator/=(S s) { return assign(*this / s); }
    V operator-() const
    {
        return combine(*static_cast<const V*>(this), [](S a, S) { return -a; });
    }

    /// Return the magnitude of the vector.
    S getMagnitude() const
    {
        S res{};
        for (S v : arr_)
            res += v * v;
        return std::sqrt(res);
    }
    /// Return a normalized vector.
    V getNormalized() const { return *static_cast<const V*>(this) / getMagnitude(); }
    /// Return the dot product of two vectors.
    S dot(const V& rhs) const
    {
        S res{};
        for (size_t i = 0; i < N; i++)
            res += arr_[i] * rhs[i];
        return res;
    }

    Iterator begin() { return arr_.begin(); }
    ConstIterator begin() const { return arr_.begin(); }
    Iterator end() { return arr_.end(); }
    ConstIterator end() const { return arr_.end(); }

    S* data() { return arr_.data(); }
    const S* data() const { return arr_.data(); }

    static constexpr size_t numElements() { return N; }

  protected:
    template <class F> V combine(const V& rhs, F f) const
    {
        V res(Uninit{});
        for (size_t i = 0; i < N; i++)
            res[i] = f(arr_[i], rhs[i]);
        return res;
    }
    VectorN& assign(const V& v)
    {
        arr_ = v.arr_;
        return *this;
    }

    std::array<S, N> arr_;
};

/// A vector of two floating-point values
class MX_CORE_API Vector2 : public VectorN<Vector2, float, 2>
{
  public:
    using VectorN<Vector2, float, 2>::VectorN;
    Vector2() = default;
    Vector2(float x, float y) :
        VectorN(Uninit{})
    {
        arr_ = { x, y };
    }
    /// Return the cross product of two vectors.
    float cross(const Vector2& rhs) const { return arr_[0] * rhs[1] - arr_[1] * rhs[0]; }
};

/// A vector of three floating-point values
class MX_CORE_API Vector3 : public VectorN<Vector3, float, 3>
{
  public:
    using VectorN<Vector3, float, 3>::VectorN;
    Vector3() = default;
    Vector3(float x, float y, float z) :
        VectorN(Uninit{})
    {
        arr_ = { x, y, z };
    }
    /// Return the cross product of two vectors.
    Vector3 cross(const Vector3& rhs) const
    {
        return Vector3(arr_[1] * rhs[2] - arr_[2] * rhs[1],
                       arr_[2] * rhs[0] - arr_[0] * rhs[2],
                       arr_[0] * rhs[1] - arr_[1] * rhs[0]);
    }
};

/// A vector of four floating-point values
class MX_CORE_API Vector4 : public VectorN<Vector4, float, 4>
{
  public:
    using VectorN<Vector4, float, 4>::VectorN;
    Vector4() = default;
    Vector4(float x, float y, float z, float w) :
        VectorN(Uninit{})
    {
        arr_ = { x, y, z, w };
    }
};

/// A three-component color value
class MX_CORE_API Color3 : public VectorN<Color3, float, 3>
{
  public:
    using VectorN<Color3, float, 3>::VectorN;
    Color3() = default;
    Color3(float r, float g, float b) :
        VectorN(Uninit{})
    {
        arr_ = { r, g, b };
    }
    /// Transform the color from linear RGB to the sRGB encoding.
    Color3 linearToSrgb() const;
    /// Transform the color from the sRGB encoding to linear RGB.
    Color3 srgbToLinear() const;
};

/// A four-component color value
class MX_CORE_API Color4 : public VectorN<Color4, float, 4>
{
  public:
    using VectorN<Color4, float, 4>::VectorN;
    Color4() = default;
    Color4(float r, float g, float b, float a) :
        VectorN(Uninit{})
    {
        arr_ = { r, g, b, a };
    }
};

/// The base class for square matrices of scalar values
class MatrixBase
{
};

/// The class template for square matrices of scalar values, stored in
/// row-major order.
template <class M, class S, size_t N> class MatrixN : public MatrixBase
{
  public:
    using RowArray = std::array<S, N>;
    using Iterator = typename std::array<RowArray, N>::iterator;
    using ConstIterator = typename std::array<RowArray, N>::const_iterator;

    MatrixN() :
        arr_{}
    {
    }
    explicit MatrixN(Uninit) {}
    explicit MatrixN(S s)
    {
        for (RowArray& row : arr_)
            row.fill(s);
    }
    explicit MatrixN(const S* begin, const S* end) :
        arr_{}
    {
        std::copy_n(begin, std::min(size_t(end - begin), N * N), &arr_[0][0]);
    }

    bool operator==(const M& rhs) const { return arr_ == rhs.arr_; }
    bool operator!=(const M& rhs) const { return arr_ != rhs.arr_; }

    /// Return true if the given matrix is equivalent to this one within a
    /// given floating-point tolerance.
    bool isEquivalent(const M& rhs, S tolerance) const
    {
        for (size_t i = 0; i < N; i++)
            for (size_t j = 0; j < N; j++)
                if (std::abs(arr_[i][j] - rhs[i][j]) > tolerance)
                    return false;
        return true;
    }

    RowArray& operator[](size_t i) { return arr_[i]; }
    const RowArray& operator[](size_t i) const { return arr_[i]; }

    M operator+(const M& rhs) const
    {
        return combine(rhs, [](S a, S b) { return a + b; });
    }
    M operator-(const M& rhs) const
    {
        return combine(rhs, [](S a, S b) { return a - b; });
    }
    M operator*(S s) const
    {
        return combine(M(s), [](S a, S b) { return a * b; });
    }
    M operator/(S s) const
    {
        return combine(M(s), [](S a, S b) { return a / b; });
    }
    /// Matrix product.
    M operator*(const M& rhs) const
    {
        M res;
        for (size_t i = 0; i < N; i++)
            for (size_t j = 0; j < N; j++)
                for (size_t k = 0; k < N; k++)
                    res[i][j] += arr_[i][k] * rhs[k][j];
        return res;
    }
    M& operator*=(const M& rhs)
    {
        *static_cast<M*>(this) = *this * rhs;
        return *static_cast<M*>(this);
    }
    /// Matrix division, the product with the inverse of rhs.
    M operator/(const M& rhs) const { return *this * rhs.getInverse(); }

    /// Return the transpose of the matrix.
    M getTranspose() const
    {
        M res(Uninit{});
        for (size_t i = 0; i < N; i++)
            for (size_t j = 0; j < N; j++)
                res[i][j] = arr_[j][i];
        return res;
    }
    /// Return the determinant of the matrix.
    S getDeterminant() const
    {
        S det{};
        for (size_t j = 0; j < N; j++)
            det += arr_[0][j] * cofactor(0, j);
        return det;
    }
    /// Return the adjugate (transposed cofactor matrix) of the matrix.
    M getAdjugate() const
    {
        M res(Uninit{});
        for (size_t i = 0; i < N; i++)
            for (size_t j = 0; j < N; j++)
                res[j][i] = cofactor(i, j);
        return res;
    }
    /// Return the inverse of the matrix.
    M getInverse() const { return getAdjugate() / getDeterminant(); }

    Iterator begin() { return arr_.begin(); }
    ConstIterator begin() const { return arr_.begin(); }
    Iterator end() { return arr_.end(); }
    ConstIterator end() const { return arr_.end(); }

    S* data() { return arr_.front().data(); }
    const S* data() const { return arr_.front().data(); }

    static constexpr size_t numRows() { return N; }
    static constexpr size_t numColumns() { return N; }

  protected:
    template <class F> M combine(const M& rhs, F f) const
    {
        M res(Uninit{});
        for (size_t i = 0; i < N; i++)
            for (size_t j = 0; j < N; j++)
                res[i][j] = f(arr_[i][j], rhs[i][j]);
        return res;
    }

    // Signed minor of element (row, col), by Laplace expansion.
    S cofactor(size_t row, size_t col) const
    {
        std::array<S, N * N> sub{};
        size_t n = 0;
        for (size_t i = 0; i < N; i++)
            for (size_t j = 0; j < N; j++)
                if (i != row && j != col)
                    sub[n++] = arr_[i][j];
        const S minor = determinantOf(sub.data(), N - 1);
        return ((row + col) % 2) ? -minor : minor;
    }
    static S determinantOf(const S* m, size_t n)
    {
        if (n == 1)
            return m[0];
        if (n == 2)
            return m[0] * m[3] - m[1] * m[2];
        S det{};
        std::array<S, N * N> sub{};
        for (size_t col = 0; col < n; col++)
        {
            size_t k = 0;
            for (size_t i = 1; i < n; i++)
                for (size_t j = 0; j < n; j++)
                    if (j != col)
                        sub[k++] = m[i * n + j];
            const S d = m[col] * determinantOf(sub.data(), n - 1);
            det += (col % 2) ? -d : d;
        }
        return det;
    }

    std::array<RowArray, N> arr_;
};

/// A 3x3 matrix of floating-point values, for 2D transformations
class MX_CORE_API Matrix33 : public MatrixN<Matrix33, float, 3>
{
  public:
    using MatrixN<Matrix33, float, 3>::MatrixN;
    Matrix33() = default;
    Matrix33(float m00, float m01, float m02,
             float m10, float m11, float m12,
             float m20, float m21, float m22) :
        MatrixN(Uninit{})
    {
        arr_ = { RowArray{ m00, m01, m02 }, RowArray{ m10, m11, m12 }, RowArray{ m20, m21, m22 } };
    }

    /// Return the product of this matrix and a 3D vector.
    Vector3 multiply(const Vector3& v) const;
    /// Transform the given 2D point.
    Vector2 transformPoint(const Vector2& v) const;
    /// Transform the given 2D direction vector.
    Vector2 transformVector(const Vector2& v) const;
    /// Transform the given 3D normal vector.
    Vector3 transformNormal(const Vector3& v) const;

    static Matrix33 createTranslation(const Vector2& v);
    static Matrix33 createScale(const Vector2& v);
    /// Create a rotation matrix, the angle in radians.
    static Matrix33 createRotation(float angle);

    static const Matrix33 IDENTITY;
};

/// A 4x4 matrix of floating-point values, for 3D transformations
class MX_CORE_API Matrix44 : public MatrixN<Matrix44, float, 4>
{
  public:
    using MatrixN<Matrix44, float, 4>::MatrixN;
    Matrix44() = default;
    Matrix44(float m00, float m01, float m02, float m03,
             float m10, float m11, float m12, float m13,
             float m20, float m21, float m22, float m23,
             float m30, float m31, float m32, float m33) :
        MatrixN(Uninit{})
    {
        arr_ = { RowArray{ m00, m01, m02, m03 }, RowArray{ m10, m11, m12, m13 },
                 RowArray{ m20, m21, m22, m23 }, RowArray{ m30, m31, m32, m33 } };
    }

    /// Return the product of this matrix and a 4D vector.
    Vector4 multiply(const Vector4& v) const;
    /// Transform the given 3D point.
    Vector3 transformPoint(const Vector3& v) const;
    /// Transform the given 3D direction vector.
    Vector3 transformVector(const Vector3& v) const;
    /// Transform the given 3D normal vector.
    Vector3 transformNormal(const Vector3& v) const;

    static Matrix44 createTranslation(const Vector3& v);
    static Matrix44 createScale(const Vector3& v);
    /// Create rotation matrices about the principal axes, angles in radians.
    static Matrix44 createRotationX(float angle);
    static Matrix44 createRotationY(float angle);
    static Matrix44 createRotationZ(float angle);

    static const Matrix44 IDENTITY;
};

MATERIALX_NAMESPACE_END

#endif
