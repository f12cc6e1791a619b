#pragma once
// Small value types: points, colours and the node transform.

class Point2
{
  public:
    float x = 0.0f, y = 0.0f;
    Point2() = default;
    Point2(float x_, float y_) :
        x(x_),
        y(y_) {}
    float& operator[](int i) { return i == 0 ? x : y; }
    float operator[](int i) const { return i == 0 ? x : y; }
    bool operator==(const Point2& o) const { return x == o.x && y == o.y; }
    bool operator!=(const Point2& o) const { return !(*this == o); }
};

class Point3
{
  public:
    float x = 0.0f, y = 0.0f, z = 0.0f;
    Point3() = default;
    Point3(float x_, float y_, float z_) :
        x(x_),
        y(y_),
        z(z_) {}
    Point3(double x_, double y_, double z_) :
        x(static_cast<float>(x_)),
        y(static_cast<float>(y_)),
        z(static_cast<float>(z_)) {}
    Point3(int x_, int y_, int z_) :
        x(static_cast<float>(x_)),
        y(static_cast<float>(y_)),
        z(static_cast<float>(z_)) {}
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : z); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : z); }
    Point3 operator+(const Point3& o) const { return Point3(x + o.x, y + o.y, z + o.z); }
    Point3 operator-(const Point3& o) const { return Point3(x - o.x, y - o.y, z - o.z); }
    Point3& operator+=(const Point3& o)
    {
        x += o.x;
        y += o.y;
        z += o.z;
        return *this;
    }
    bool operator==(const Point3& o) const { return x == o.x && y == o.y && z == o.z; }
    bool operator!=(const Point3& o) const { return !(*this == o); }
};

class Point4
{
  public:
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
    Point4() = default;
    Point4(float x_, float y_, float z_, float w_) :
        x(x_),
        y(y_),
        z(z_),
        w(w_) {}
    float& operator[](int i) { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
    float operator[](int i) const { return i == 0 ? x : (i == 1 ? y : (i == 2 ? z : w)); }
    bool operator==(const Point4& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
    bool operator!=(const Point4& o) const { return !(*this == o); }
};

class Color
{
  public:
    float r = 0.0f, g = 0.0f, b = 0.0f;
    Color() = default;
    Color(float r_, float g_, float b_) :
        r(r_),
        g(g_),
        b(b_) {}
    explicit Color(const Point3& p) :
        r(p.x),
        g(p.y),
        b(p.z) {}
    float& operator[](int i) { return i == 0 ? r : (i == 1 ? g : b); }
    float operator[](int i) const { return i == 0 ? r : (i == 1 ? g : b); }
    bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Color& o) const { return !(*this == o); }
};

class AColor
{
  public:
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
    AColor() = default;
    AColor(float r_, float g_, float b_, float a_ = 1.0f) :
        r(r_),
        g(g_),
        b(b_),
        a(a_) {}
    explicit AColor(const Color& c, float a_ = 1.0f) :
        r(c.r),
        g(c.g),
        b(c.b),
        a(a_) {}
    explicit AColor(const Point4& p) :
        r(p.x),
        g(p.y),
        b(p.z),
        a(p.w) {}
    float& operator[](int i) { return i == 0 ? r : (i == 1 ? g : (i == 2 ? b : a)); }
    float operator[](int i) const { return i == 0 ? r : (i == 1 ? g : (i == 2 ? b : a)); }
    bool operator==(const AColor& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const AColor& o) const { return !(*this == o); }
};

// A 4x3 transform: three axis rows and a translation row.
class Matrix3
{
  public:
    Matrix3() { IdentityMatrix(); }
    explicit Matrix3(bool identity)
    {
        if (identity)
            IdentityMatrix();
    }
    void IdentityMatrix()
    {
        rows_[0] = Point3(1.0f, 0.0f, 0.0f);
        rows_[1] = Point3(0.0f, 1.0f, 0.0f);
        rows_[2] = Point3(0.0f, 0.0f, 1.0f);
        rows_[3] = Point3(0.0f, 0.0f, 0.0f);
    }
    Point3 GetRow(int i) const { return rows_[i]; }
    void SetRow(int i, const Point3& p) { rows_[i] = p; }
    Point3 GetTrans() const { return rows_[3]; }
    void SetTrans(const Point3& p) { rows_[3] = p; }
    void Translate(const Point3& p) { rows_[3] += p; }
    // Direction `v` expressed in this matrix's axes, without the translation.
    Point3 VectorTransform(const Point3& v) const
    {
        return Point3(v.x * rows_[0].x + v.y * rows_[1].x + v.z * rows_[2].x,
                      v.x * rows_[0].y + v.y * rows_[1].y + v.z * rows_[2].y,
                      v.x * rows_[0].z + v.y * rows_[1].z + v.z * rows_[2].z);
    }
    bool operator==(const Matrix3& o) const
    {
        return rows_[0] == o.rows_[0] && rows_[1] == o.rows_[1] && rows_[2] == o.rows_[2] && rows_[3] == o.rows_[3];
    }

  private:
    Point3 rows_[4];
};
