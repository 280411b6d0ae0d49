// Compile-only stand-ins for the few Android classes that the runtime and the
// generated activity use, so the check runs against desktop Compose without the
// Android SDK. Only the members in use exist; none of them does anything.
package android.content

import android.content.res.Resources

abstract class Context {
    abstract val packageName: String
    abstract val resources: Resources
    abstract fun getSharedPreferences(name: String, mode: Int): SharedPreferences
    companion object {
        const val MODE_PRIVATE: Int = 0
    }
}

interface SharedPreferences {
    fun contains(key: String): Boolean
    fun getString(key: String, defValue: String?): String?
    fun getInt(key: String, defValue: Int): Int
    fun getLong(key: String, defValue: Long): Long
    fun getFloat(key: String, defValue: Float): Float
    fun getBoolean(key: String, defValue: Boolean): Boolean
    fun edit(): Editor

    interface Editor {
        fun putString(key: String, value: String?): Editor
        fun putInt(key: String, value: Int): Editor
        fun putLong(key: String, value: Long): Editor
        fun putFloat(key: String, value: Float): Editor
        fun putBoolean(key: String, value: Boolean): Editor
        fun remove(key: String): Editor
        fun apply()
    }
}
