#include <MaterialXCore/Types.h>

MATERIALX_NAMESPACE_BEGIN

const string DEFAULT_TYPE_STRING = "color3";
const string FILENAME_TYPE_STRING = "filename";
const string GEOMNAME_TYPE_STRING = "geomname";
const string STRING_TYPE_STRING = "string";
const string BSDF_TYPE_STRING = "BSDF";
const string EDF_TYPE_STRING = "EDF";
const string VDF_TYPE_STRING = "VDF";
const string SURFACE_SHADER_TYPE_STRING = "surfaceshader";
const string DISPLACEMENT_SHADER_TYPE_STRING = "displacementshader";
const string VOLUME_SHADER_TYPE_STRING = "volumeshader";
const string LIGHT_SHADER_TYPE_STRING = "lightshader";
const string MATERIAL_TYPE_STRING = "material";
const string SURFACE_MATERIAL_NODE_STRING = "surfacematerial";
const string VOLUME_MATERIAL_NODE_STRING = "volumematerial";
const string MULTI_OUTPUT_TYPE_STRING = "multioutput";
const string NONE_TYPE_STRING = "none";
const string VALUE_STRING_TRUE = "true";
const string VALUE_STRING_FALSE = "false";
const string NAME_PREFIX_SEPARATOR = ":";
const string NAME_PATH_SEPARATOR = "/";
const string ARRAY_VALID_SEPARATORS = ", ";
const string ARRAY_PREFERRED_SEPARATOR = ", ";

const Matrix33 Matrix33::IDENTITY(1, 0, 0,
                                  0, 1, 0,
                                  0, 0, 1);

const Matrix44 Matrix44::IDENTITY(1, 0, 0, 0,
                                  0, 1, 0, 0,
                                  0, 0, 1, 0,
                                  0, 0, 0, 1);

namespace
{

float linearToSrgbChannel(float v)
{
    return v <= 0.0031308f ? v * 12.92f : 1.055f * std::pow(v, 1.0f / 2.4f) - 0.055f;
}

float srgbToLinearChannel(float v)
{
    return v <= 0.04045f ? v / 12.92f : std::pow((v + 0.055f) / 1.055f, 2.4f);
}

} // anonymous namespace

Color3 Color3::linearToSrgb() const
{
    return Color3(linearToSrgbChannel(arr_[0]), linearToSrgbChannel(arr_[1]), linearToSrgbChannel(arr_[2]));
}

Color3 Color3::srgbToLinear() const
{
    return Color3(srgbToLinearChannel(arr_[0]), srgbToLinearChannel(arr_[1]), srgbToLinearChannel(arr_[2]));
}

//
// Matrix33
//

Vector3 Matrix33::multiply(const Vector3& v) const
{
    // Row vector times matrix, the convention of the transform helpers.
    return Vector3(v[0] * arr_[0][0] + v[1] * arr_[1][0] + v[2] * arr_[2][0],
                   v[0] * arr_[0][1] + v[1] * arr_[1][1] + v[2] * arr_[2][1],
                   v[0] * arr_[0][2] + v[1] * arr_[1][2] + v[2] * arr_[2][2]);
}

Vector2 Matrix33::transformPoint(const Vector2& v) const
{
    Vector3 res = multiply(Vector3(v[0], v[1], 1.0f));
    return Vector2(res[0], res[1]);
}

Vector2 Matrix33::transformVector(const Vector2& v) const
{
    Vector3 res = multiply(Vector3(v[0], v[1], 0.0f));
    return Vector2(res[0], res[1]);
}

Vector3 Matrix33::transformNormal(const Vector3& v) const
{
    return getInverse().getTranspose().multiply(v);
}

Matrix33 Matrix33::createTranslation(const Vector2& v)
{
    return Matrix33(1.0f, 0.0f, 0.0f,
                    0.0f, 1.0f, 0.0f,
                    v[0], v[1], 1.0f);
}

Matrix33 Matrix33::createScale(const Vector2& v)
{
    return Matrix33(v[0], 0.0f, 0.0f,
                    0.0f, v[1], 0.0f,
                    0.0f, 0.0f, 1.0f);
}

Matrix33 Matrix33::createRotation(float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    return Matrix33(c, s, 0.0f,
                    -s, c, 0.0f,
                    0.0f, 0.0f, 1.0f);
}

//
// Matrix44
//

Vector4 Matrix44::multiply(const Vector4& v) const
{
    Vector4 res;
    for (size_t j = 0; j < 4; j++)
        res[j] = v[0] * arr_[0][j] + v[1] * arr_[1][j] + v[2] * arr_[2][j] + v[3] * arr_[3][j];
    return res;
}

Vector3 Matrix44::transformPoint(const Vector3& v) const
{
    Vector4 res = multiply(Vector4(v[0], v[1], v[2], 1.0f));
    return Vector3(res[0], res[1], res[2]);
}

Vector3 Matrix44::transformVector(const Vector3& v) const
{
    Vector4 res = multiply(Vector4(v[0], v[1], v[2], 0.0f));
    return Vector3(res[0], res[1], res[2]);
}

Vector3 Matrix44::transformNormal(const Vector3& v) const
{
    return getInverse().getTranspose().transformVector(v);
}

Matrix44 Matrix44::createTranslation(const Vector3& v)
{
    return Matrix44(1.0f, 0.0f, 0.0f, 0.0f,
                    0.0f, 1.0f, 0.0f, 0.0f,
                    0.0f, 0.0f, 1.0f, 0.0f,
                    v[0], v[1], v[2], 1.0f);
}

Matrix44 Matrix44::createScale(const Vector3& v)
{
    return Matrix44(v[0], 0.0f, 0.0f, 0.0f,
                    0.0f, v[1], 0.0f, 0.0f,
                    0.0f, 0.0f, v[2], 0.0f,
                    0.0f, 0.0f, 0.0f, 1.0f);
}

Matrix44 Matrix44::createRotationX(float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    return Matrix44(1.0f, 0.0f, 0.0f, 0.0f,
                    0.0f, c, s, 0.0f,
                    0.0f, -s, c, 0.0f,
                    0.0f, 0.0f, 0.0f, 1.0f);
}

Matrix44 Matrix44::createRotationY(float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    return Matrix44(c, 0.0f, -s, 0.0f,
                    0.0f, 1.0f, 0.0f, 0.0f,
                    s, 0.0f, c, 0.0f,
                    0.0f, 0.0f, 0.0f, 1.0f);
}

Matrix44 Matrix44::createRotationZ(float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    return Matrix44(c, s, 0.0f, 0.0f,
                    -s, c, 0.0f, 0.0f,
                    0.0f, 0.0f, 1.0f, 0.0f,
                    0.0f, 0.0f, 0.0f, 1.0f);
}

MATERIALX_NAMESPACE_END
