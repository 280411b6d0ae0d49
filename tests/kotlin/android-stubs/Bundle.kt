package android.os

class Bundle
