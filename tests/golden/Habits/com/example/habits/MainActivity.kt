package com.example.habits

import android.os.Bundle
import androidx.activity.ComponentActivity
import androidx.activity.compose.setContent
import androidx.activity.enableEdgeToEdge
import tovrane.runtime.*

class MainActivity : ComponentActivity() {
    override fun onCreate(savedInstanceState: Bundle?) {
        super.onCreate(savedInstanceState)
        tovrane.runtime.SwiftApp.context = applicationContext
        enableEdgeToEdge()
        setContent {
            TovraneTheme {
                HabitsApp()
            }
        }
    }
}
