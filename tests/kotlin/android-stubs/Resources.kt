package android.content.res

abstract class Resources {
    abstract fun getIdentifier(name: String, defType: String, defPackage: String): Int
}
