// Stand-ins for androidx.activity, which exists only for Android.
package androidx.activity

import android.content.Context

abstract class ComponentActivity {
    val applicationContext: Context get() = TODO("stub")
    open fun onCreate(savedInstanceState: android.os.Bundle?) {}
}

fun ComponentActivity.enableEdgeToEdge() {}
