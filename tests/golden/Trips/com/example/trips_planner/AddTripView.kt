// Automatisch aus Trips/AddTripView.swift erzeugt von tovrane.
@file:Suppress("UNUSED_VARIABLE", "UNUSED_PARAMETER", "UNREACHABLE_CODE", "NAME_SHADOWING", "UNCHECKED_CAST", "RedundantExplicitType", "FunctionName", "LocalVariableName", "PropertyName", "ClassName", "EnumEntryName", "unused", "UNUSED_EXPRESSION", "USELESS_CAST", "SENSELESS_COMPARISON", "UNNECESSARY_SAFE_CALL", "UNNECESSARY_NOT_NULL_ASSERTION")

package com.example.trips_planner

import androidx.compose.runtime.*
import tovrane.runtime.*
@Composable @NonSkippableComposable
fun AddTripView(onSave: (Trip) -> Unit, mod: Mod = Mod()) {
    val self = remember { AddTripViewView(onSave) }
    self.onSave = onSave
    self.dismiss = LocalDismiss.current
    Apply(mod) { self.body() }
}

class AddTripViewView(var onSave: (Trip) -> Unit) {
    var dismiss = DismissAction {}
    var name by mutableStateOf<String>("", neverEqualPolicy())
    var destination by mutableStateOf<String>("", neverEqualPolicy())
    var startDate by mutableStateOf<java.util.Date>(Date(), neverEqualPolicy())
    var endDate by mutableStateOf(Date().addingTimeInterval((86400 * 3)), neverEqualPolicy())
    var transport by mutableStateOf<Transport>(Transport.plane, neverEqualPolicy())
    var notes by mutableStateOf<String>("", neverEqualPolicy())
    private val canSave: Boolean
        get() = ((!name.trimmingCharacters(`in` = null).isEmpty && !destination.trimmingCharacters(`in` = null).isEmpty) && (endDate >= startDate))
    @Composable @NonSkippableComposable
    fun body() {
        NavigationStack {
            Form(mod = Mod().navigationTitle("New Trip").toolbar(content = {
                ToolbarItem(placement = null) { Button("Cancel") { dismiss() } }
                ToolbarItem(placement = null) {
                    Button("Save", mod = Mod().disabled(!canSave)) {
                        val trip = Trip(name = name.trimmingCharacters(`in` = null), destination = destination.trimmingCharacters(`in` = null), startDate = startDate, endDate = endDate, transport = transport, notes = notes)
                        onSave(trip)
                        dismiss()
                    }
                }
            })) {
                Section("Trip") {
                    TextField("Name", text = Binding({ name }, { name = it }))
                    TextField("Destination", text = Binding({ destination }, { destination = it }))
                }
                Section("Dates") {
                    Unsupported("DatePicker")
                    Unsupported("DatePicker")
                }
                Section("Getting there") { Picker("Transport", selection = Binding({ transport }, { transport = it })) { ForEach(Transport.entries.toMutableList()) { option -> Label(option.title, systemImage = option.systemImage, mod = Mod().tag(option)) } } }
                Section("Notes") { TextField("Anything to remember?", text = Binding({ notes }, { notes = it }), axis = Axis.vertical, mod = Mod().lineLimit((3..6))) }
            }
        }
    }
}

